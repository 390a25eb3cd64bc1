// Takes the generated, wrapped firmware header into the program.
#include "oltrex/keyrefresh/CarriedFirmware.h"

#include <cstdint>

#include "oltrex/keyrefresh/FirmwareLabel.h"

namespace oltrex {
namespace {

using std::uint8_t;
#include "fw120.h"

#ifndef FW_LEN
#error "fw120.h holds no firmware: it is read with __UPDATE_120__ defined"
#endif
static_assert(sizeof(firmware) == FW_LEN, "the header's length and its array differ");

constexpr std::uint8_t kTypeCode[4] = FW_DESCRIPTION;
constexpr auto kDescription = firmwareDescription(kTypeCode, FW_VERSION);

}  // namespace

const std::uint8_t* keyRefreshFirmwareImage() {
    return firmware;
}
std::uint32_t keyRefreshFirmwareLength() {
    return FW_LEN;
}
const char* keyRefreshFirmwareDescription() {
    return kDescription.data();
}
const char* keyRefreshFirmwareVersion() {
    return FW_VERSION;
}

}  // namespace oltrex
