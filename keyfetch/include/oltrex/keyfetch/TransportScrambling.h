#pragma once
// The transport protection of protected keys. Such a key hands out a file
// XOR-scrambled when the remote name carries the access code; the scrambling
// is its own inverse, so the same routine undoes it.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace oltrex {

// Appended (behind a backslash) to the remote name to ask for the protected read.
inline constexpr std::string_view kTransportAccessCode = "5E07C9A2";
// The start key is the access code read as a hexadecimal number.
inline constexpr std::uint32_t kTransportStartKey = 0x5E07C9A2u;
inline constexpr std::uint32_t kTransportKeyStep = 0x3D91B6E4u;

// Whole 32-bit little-endian words are XORed with a key that starts at the
// start key and steps down by the key step after each word; the 0-3 bytes
// left over are XORed with the final key, low byte first.
void descrambleTransport(std::uint8_t* data, std::size_t size);

// Whether a key of this series ("OX", "OB", ...) and firmware number needs
// the protected read.
bool needsProtectedRead(std::string_view series, int firmware);

}  // namespace oltrex
