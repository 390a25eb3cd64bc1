#pragma once
// The firmware image that FwFlasher carries and writes into the key.
#include <cstdint>

namespace oltrex {

// The image bytes (31364 in this build).
const std::uint8_t* fwFlasherFirmwareImage();
std::uint32_t fwFlasherFirmwareLength();
// "ComP": the type code that the header block carries.
const char* fwFlasherFirmwareTypeCode();
// " FW-0114": the image's version label, shown in the window.
const char* fwFlasherFirmwareLabel();

}  // namespace oltrex
