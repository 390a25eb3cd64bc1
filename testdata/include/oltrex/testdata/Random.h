#pragma once
// A small deterministic random source (SplitMix64): the same seed gives the
// same bytes on every platform and standard library, so generated files are
// reproducible.
//
// Generated content never holds the byte 0x76: in a key file that byte starts
// every block tag and end marker, and the download program scans whole files
// for tag pairs. Values that come from the caller are used as given.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "oltrex/testdata/Bytes.h"

namespace oltrex::testdata {

inline constexpr std::uint8_t kTagByte = 0x76;

// `value` raised until none of its low `width` bytes is 0x76.
std::uint32_t withoutTagByte(std::uint32_t value, int width = 4);

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next();
    // Uniform in [0, bound); bound 0 gives 0.
    std::uint32_t below(std::uint32_t bound);
    // Uniform in [low, high].
    int between(int low, int high);
    bool chance(int percent) { return below(100) < static_cast<std::uint32_t>(percent); }

    // A byte other than 0x76.
    std::uint8_t dataByte();
    void dataBytes(ByteWriter& w, std::size_t count);
    // A time in [low, high] (seconds since 1970) without a 0x76 byte.
    std::uint32_t time(std::uint32_t low, std::uint32_t high);
    // A value of `width` bytes below `bound` without a 0x76 byte.
    std::uint32_t value(std::uint32_t bound, int width);
    std::string digits(std::size_t count);
    std::string letters(std::size_t count, std::string_view alphabet = "ABCDEFGHJKLMNPRSTUVWXYZ");

    template <typename T>
    const T& pick(std::span<const T> items) {
        return items[below(static_cast<std::uint32_t>(items.size()))];
    }

    // An independent stream for one part of a file, so that changing one part
    // does not shift the random values of the others.
    Random fork(std::uint64_t salt) const { return Random(state_ ^ (salt * 0x9E3779B97F4A7C15ull) ^ 0x5851F42D4C957F2Dull); }

private:
    std::uint64_t state_;
};

}  // namespace oltrex::testdata
