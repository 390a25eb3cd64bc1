#pragma once
// The key's frame and image checksum: CRC-32 with the IEEE 802.3 polynomial in
// reflected form (0xEDB88320), register starting at 0 and no final inversion.
// It is not the zlib CRC-32. Check value for "123456789": 0x2DFD2D88.
#include <cstddef>
#include <cstdint>

namespace oltrex {

// CRC over `size` bytes, continuing from `crc` (0 for a fresh computation).
std::uint32_t keyCrc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);

}  // namespace oltrex
