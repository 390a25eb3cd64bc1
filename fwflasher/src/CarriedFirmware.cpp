// Takes the generated firmware header into the program.
#include "oltrex/fwflasher/CarriedFirmware.h"

#include <cstdint>

#include "oltrex/keyrefresh/FirmwareLabel.h"

namespace oltrex {
namespace {

using std::uint8_t;
#include "fw.h"

static_assert(sizeof(firmware) == FW_LEN, "the header's length and its array differ");

constexpr std::uint8_t kTypeCodeBytes[4] = FW_DESCRIPTION;
constexpr auto kTypeCode = firmwareTypeCode(kTypeCodeBytes);
constexpr auto kLabel = firmwareVersionLabel(FW_VERSION);

}  // namespace

const std::uint8_t* fwFlasherFirmwareImage() {
    return firmware;
}
std::uint32_t fwFlasherFirmwareLength() {
    return FW_LEN;
}
const char* fwFlasherFirmwareTypeCode() {
    return kTypeCode.data();
}
const char* fwFlasherFirmwareLabel() {
    return kLabel.data();
}

}  // namespace oltrex
