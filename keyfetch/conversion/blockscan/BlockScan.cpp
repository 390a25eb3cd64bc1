#include "oltrex/blockscan/BlockScan.h"

#include <cstring>

namespace oltrex {

bool isVehicleUnitTag(std::uint16_t tag) {
    return (tag >= 0x7601 && tag <= 0x7605) || (tag >= 0x7611 && tag <= 0x7619) ||
           (tag >= 0x7621 && tag <= 0x7625) || (tag >= 0x7631 && tag <= 0x7635);
}

std::size_t findBlockEnd(std::span<const std::uint8_t> file, std::size_t dataBegin) {
    constexpr std::size_t kMarker = kBlockEndMarker.size();
    if (dataBegin > file.size() || file.size() - dataBegin < kMarker) return kNoOffset;
    const std::uint8_t* const base = file.data();
    const std::uint8_t* p = base + dataBegin;
    const std::uint8_t* const last = base + file.size() - kMarker;  // last possible marker start
    // memchr runs far faster than a general substring search on long blocks.
    while (p <= last) {
        p = static_cast<const std::uint8_t*>(
            std::memchr(p, kBlockEndMarker[0], static_cast<std::size_t>(last - p) + 1));
        if (p == nullptr) return kNoOffset;
        if (std::memcmp(p, kBlockEndMarker.data(), kMarker) == 0) break;
        ++p;
    }
    if (p == nullptr || p > last) return kNoOffset;
    // Further 76 FF pairs right behind the marker: the marker is the last two pairs of the run.
    while (p + kMarker + 2 <= base + file.size() && p[kMarker] == 0x76 && p[kMarker + 1] == 0xFF)
        p += 2;
    return static_cast<std::size_t>(p - base);
}

KeyFileScan scanKeyFile(std::span<const std::uint8_t> file) {
    KeyFileScan scan;
    auto tagAt = [&file](std::size_t p) {
        return static_cast<std::uint16_t>(file[p] << 8 | file[p + 1]);
    };
    auto skip = [&scan](std::size_t p, std::size_t n) {
        if (scan.firstSkipped == kNoOffset) scan.firstSkipped = p;
        scan.skippedBytes += n;
    };
    std::size_t p = 0;
    if (file.size() >= 2 && tagAt(0) == kFirstRecordTag) p = 2;
    while (p + 2 <= file.size()) {
        const std::uint16_t tag = tagAt(p);
        if (tag == kCardFileTag && scan.blocks.empty()) {
            scan.card = true;
            scan.imageBegin = p + 2;
            scan.imageEnd = file.size() - p >= 6 ? file.size() - 4 : p + 2;
            return scan;
        }
        if (!isVehicleUnitTag(tag)) {
            skip(p, 2);
            p += 2;
            continue;
        }
        const std::size_t marker = findBlockEnd(file, p + 2);
        if (marker == kNoOffset) {
            scan.openBlock = p;
            return scan;
        }
        scan.blocks.push_back({tag, p, marker - (p + 2)});
        p = marker + kBlockEndMarker.size();
    }
    if (p < file.size()) skip(p, file.size() - p);
    return scan;
}

}  // namespace oltrex
