#include "oltrex/keyfetch/TransportScrambling.h"

namespace oltrex {

void descrambleTransport(std::uint8_t* data, std::size_t size) {
    std::uint32_t key = kTransportStartKey;
    const std::size_t words = size / 4;
    for (std::size_t j = 0; j < words; ++j) {
        std::uint8_t* w = data + 4 * j;
        w[0] ^= static_cast<std::uint8_t>(key);
        w[1] ^= static_cast<std::uint8_t>(key >> 8);
        w[2] ^= static_cast<std::uint8_t>(key >> 16);
        w[3] ^= static_cast<std::uint8_t>(key >> 24);
        key -= kTransportKeyStep;  // modulo 2^32
    }
    std::uint8_t* rest = data + 4 * words;
    for (std::size_t i = 0; i < size % 4; ++i) rest[i] ^= static_cast<std::uint8_t>(key >> (8 * i));
}

bool needsProtectedRead(std::string_view series, int fw) {
    auto in = [fw](int low, int high) { return fw >= low && fw <= high; };
    if (series == "OX" && (in(118, 199) || in(518, 599))) return true;
    if (series == "OB" && fw >= 102) return true;
    if (series == "OC" && fw >= 402) return true;
    if (series == "OE" && fw >= 603) return true;
    // 830 and 870 lie outside these ranges on purpose.
    return in(801, 829) || in(831, 869) || in(871, 899) || in(900, 1200);
}

}  // namespace oltrex
