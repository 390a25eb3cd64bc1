#pragma once
// EU download files into the key's form and back.
//
// A card file becomes 0x76 0x06, its records and the 4 closing bytes; a
// vehicle-unit file gets the end marker behind each block. Only a file that
// walks to its exact end is imported (EuWalker.h). Taking the key's form
// apart again gives the EU file byte for byte.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "oltrex/testdata/Bytes.h"
#include "oltrex/testdata/EuWalker.h"
#include "oltrex/testdata/KeyForm.h"

namespace oltrex::testdata {

struct ImportedFile {
    KeyFile file;  // the key's name and form
    EuFileKind kind = EuFileKind::VehicleUnit;
    Generation generation = Generation::First;
};

// Why a file was not imported: the file's label, the offset and the reason.
struct ImportRefusal {
    std::string file;
    std::size_t offset = 0;
    std::string reason;
    // "<file>: not imported, offset <n>: <reason>"
    std::string message() const;
};

// `label` names the file in a refusal. The key name comes from the content:
// vehicle units from the overview's registration (the VIN when it is empty)
// and current time, cards from the identification's card number and the last
// card download time; `fallbackTime` stands in for a missing or invalid time.
std::optional<ImportedFile> importEuFile(ByteView euFile, std::string_view label, std::uint32_t fallbackTime,
                                         ImportRefusal& refusal);

// The key's form of an EU file (no naming).
std::optional<Bytes> keyFormOfEuFile(ByteView euFile, WalkError& error);

// The parts of a key file: a card file's records (offsets in the key file) or
// a vehicle-unit file's blocks (offset of each tag, data size without marker).
struct KeyFileLayout {
    EuFileKind kind = EuFileKind::VehicleUnit;
    std::vector<EuBlock> blocks;
    std::vector<EuCardRecord> records;
};
std::optional<KeyFileLayout> walkKeyFile(ByteView keyFile, WalkError& error);

// The EU file inside a key file: the card image between 0x76 0x06 and the
// closing bytes, or the blocks without their end markers. Blocks of the EU
// families are walked by their structure and must be followed by the end
// marker; other 0x76xx blocks (the "S" blocks) end where the shared block scan
// ends them (oltrex/blockscan/BlockScan.h).
std::optional<Bytes> euFileOfKeyForm(ByteView keyFile, WalkError& error);

}  // namespace oltrex::testdata
