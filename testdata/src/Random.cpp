#include "oltrex/testdata/Random.h"

namespace oltrex::testdata {

std::uint32_t withoutTagByte(std::uint32_t value, int width) {
    for (;;) {
        bool clean = true;
        for (int i = 0; i < width; ++i)
            if (((value >> (8 * i)) & 0xFF) == kTagByte) clean = false;
        if (clean) return value;
        ++value;
    }
}

std::uint64_t Random::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint32_t Random::below(std::uint32_t bound) {
    if (bound == 0) return 0;
    return static_cast<std::uint32_t>(next() % bound);
}

int Random::between(int low, int high) {
    if (high <= low) return low;
    return low + static_cast<int>(below(static_cast<std::uint32_t>(high - low + 1)));
}

std::uint8_t Random::dataByte() {
    for (;;) {
        const auto b = static_cast<std::uint8_t>(next() >> 56);
        if (b != kTagByte) return b;
    }
}

void Random::dataBytes(ByteWriter& w, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) w.u8(dataByte());
}

std::uint32_t Random::time(std::uint32_t low, std::uint32_t high) {
    if (high <= low) return withoutTagByte(low);
    const std::uint32_t t = low + static_cast<std::uint32_t>(next() % (std::uint64_t{high} - low + 1));
    return withoutTagByte(t);
}

std::uint32_t Random::value(std::uint32_t bound, int width) {
    const std::uint32_t v = withoutTagByte(below(bound), width);
    return v < bound ? v : withoutTagByte(0, width);
}

std::string Random::digits(std::size_t count) {
    std::string s;
    for (std::size_t i = 0; i < count; ++i) s.push_back(static_cast<char>('0' + below(10)));
    return s;
}

std::string Random::letters(std::size_t count, std::string_view alphabet) {
    std::string s;
    for (std::size_t i = 0; i < count; ++i) s.push_back(alphabet[below(static_cast<std::uint32_t>(alphabet.size()))]);
    return s;
}

}  // namespace oltrex::testdata
