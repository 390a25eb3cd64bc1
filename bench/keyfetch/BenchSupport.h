#pragma once
// Shared pieces of KeyFetch's benchmarks: the 10 MiB vehicle-unit download
// they work on, and the goal lines that scripts/bench.sh gathers into one
// table ("| what | figure | goal | met |").
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "oltrex/conversion/Naming.h"

namespace oltrex::bench {

using Bytes = std::vector<std::uint8_t>;
inline constexpr std::size_t kTenMiB = 10u << 20;

inline void putBlock(Bytes& out, std::uint16_t tag, const std::uint8_t* data, std::size_t size) {
    out.push_back(static_cast<std::uint8_t>(tag >> 8));
    out.push_back(static_cast<std::uint8_t>(tag));
    out.insert(out.end(), data, data + size);
    out.insert(out.end(), {0x76, 0xFF, 0x76, 0xFF});
}

// A generation-1 vehicle-unit download of `size` bytes as the key delivers
// it: an overview block that names the file, activity blocks, a technical-
// data block. The data bytes never form a tag or the end marker.
inline Bytes vehicleUnitFile(std::size_t size = kTenMiB) {
    Bytes overview(719, 0x00);
    const std::string vin = "WDB0000000BENCH01";
    const std::string registration = "B OX 1000    ";
    std::memcpy(overview.data() + kOverviewVinOffset, vin.data(), vin.size());
    overview[kOverviewNationOffset] = 13;
    overview[kOverviewNationOffset + 1] = 0x01;
    std::memcpy(overview.data() + kOverviewRegistrationOffset, registration.data(),
                registration.size());
    const std::uint32_t time = 0x622B5715;
    for (int i = 0; i < 4; ++i)
        overview[kOverviewTimeOffset + i] = static_cast<std::uint8_t>(time >> (24 - 8 * i));

    Bytes file;
    file.reserve(size + 64);
    putBlock(file, 0x7601, overview.data(), overview.size());
    Bytes activity(32 * 1024);
    for (std::size_t i = 0; i < activity.size(); ++i)
        activity[i] = static_cast<std::uint8_t>((i * 31) % 0x70);
    while (file.size() + activity.size() + 6 <= size)
        putBlock(file, 0x7602, activity.data(), activity.size());
    putBlock(file, 0x7605, activity.data(), size - file.size() - 6);
    return file;
}

// One row of the benchmark table.
inline void goalLine(const char* what, const std::string& figure, const std::string& goal,
                     bool met) {
    std::printf("| %s | %s | %s | %s |\n", what, figure.c_str(), goal.c_str(), met ? "yes" : "NO");
    std::fflush(stdout);
}

inline std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace oltrex::bench
