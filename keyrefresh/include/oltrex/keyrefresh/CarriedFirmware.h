#pragma once
// The firmware image that KeyRefresh carries and writes into the key.
#include <cstdint>

namespace oltrex {

// The image bytes (45096 in this build).
const std::uint8_t* keyRefreshFirmwareImage();
std::uint32_t keyRefreshFirmwareLength();
// "ComP FW-0120": the type code of the header block, then the version label.
const char* keyRefreshFirmwareDescription();
// "1.20": the version shown on the key page and logged.
const char* keyRefreshFirmwareVersion();

}  // namespace oltrex
