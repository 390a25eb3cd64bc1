#include "oltrex/transfer/Crc32.h"

#include <array>

namespace oltrex {
namespace {

constexpr std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i;
        for (int bit = 0; bit < 8; ++bit) r = (r & 1u) ? (r >> 1) ^ 0xEDB88320u : (r >> 1);
        table[i] = r;
    }
    return table;
}

constexpr auto kTable = makeTable();

}  // namespace

std::uint32_t keyCrc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    for (std::size_t i = 0; i < size; ++i) crc = (crc >> 8) ^ kTable[(crc ^ data[i]) & 0xFFu];
    return crc;
}

}  // namespace oltrex
