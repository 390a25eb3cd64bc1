#pragma once
// Generated vehicle-unit downloads in the EU layout (TREP blocks), in the
// key's form: every block as tag, data and end marker.
//
// Generation 1: blocks 0x7601 (overview), one 0x7602 per day (activities),
// 0x7603 (events and faults), 0x7604 (detailed speed), 0x7605 (technical
// data), each with the fixed parts and counted record lists of the EU
// regulation. The overview holds the VIN at offset 388, the registration
// nation at 405, its code page at 406, the registration at 407-419 and the
// vehicle unit's current time at 420-423 (offsets after the tag).
// Generation 2: 0x7621-0x7625 as record arrays (record type, record size,
// number of records) closed by a signature record array; on request the
// "S" blocks 0x7611-0x7619 behind them, in the same record-array form.
#include <cstdint>
#include <string>
#include <vector>

#include "oltrex/testdata/Bytes.h"
#include "oltrex/testdata/CardBuilder.h"
#include "oltrex/testdata/KeyForm.h"

namespace oltrex::testdata {

// Offsets in the generation-1 overview block, counted after the tag.
inline constexpr std::size_t kOverviewVinOffset = 388;
inline constexpr std::size_t kOverviewNationOffset = 405;
inline constexpr std::size_t kOverviewCodePageOffset = 406;
inline constexpr std::size_t kOverviewRegistrationOffset = 407;
inline constexpr std::size_t kOverviewCurrentTimeOffset = 420;

struct VehicleUnitOptions {
    Generation generation = Generation::First;
    std::uint64_t seed = 1;
    std::uint32_t downloadTime = kDefaultDownloadTime;  // the unit's current time at the download
    std::uint8_t nation = 13;                           // registration nation (13 = D)
    std::string registration;                           // up to 13 characters; empty: invented
    std::string vin;                                    // 17 characters; empty: invented
    int activityDays = 5;       // days with an activities block (days off are left out)
    int companyLocks = 1;
    int controls = 1;
    int calibrations = 2;
    int speedMinutes = 90;      // detailed speed blocks (one per minute of driving)
    std::vector<std::uint16_t> sBlocks;  // generation 2 only: tags 0x7611-0x7619 to add
};

struct GeneratedVehicleUnit {
    VehicleUnitOptions options;  // with the invented values filled in
    std::vector<VehicleUnitBlock> blocks;
};

GeneratedVehicleUnit buildVehicleUnitContent(const VehicleUnitOptions& options);
// Name after the key's convention and the key's form.
KeyFile buildVehicleUnitFile(const VehicleUnitOptions& options);

// The S tags a demo "S" file carries.
std::vector<std::uint16_t> defaultSBlocks();

}  // namespace oltrex::testdata
