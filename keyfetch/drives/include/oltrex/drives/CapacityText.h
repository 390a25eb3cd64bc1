#pragma once
// Capacity texts of the drive list.
#include <cstdint>
#include <string>

namespace oltrex {

// bytes divided by 1024 once per unit step (0 bytes, 1 KiB, 2 MiB, 3 GiB;
// steps below 0 count as 0, above 3 as 3), formatted "%1.0f", and grouped in
// threes with `separator` when it is not '\0'.
std::string capacityText(std::uint64_t bytes, int unitStep = 0, char separator = '\0');

}  // namespace oltrex
