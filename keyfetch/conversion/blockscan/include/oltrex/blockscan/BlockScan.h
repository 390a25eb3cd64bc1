#pragma once
// The one walk over a key file that everything reading key files shares: the
// container maker, the classification, the EU file of a key file, the key's
// secure form and the key tool.
//
// A vehicle-unit file is a series of blocks: the 2-byte tag 0x76xx, the block
// data and the end marker 76 FF 76 FF. A block ends at the LAST end marker of
// a run of 76 FF pairs: no tag 0x76FF exists, so bytes that read
// "... 76 FF 76 FF 76 FF" are data ending in 76 FF followed by the marker.
// (Taking the first match would cut such a block two bytes early and make the
// next two bytes look like an unknown tag.)
// A card file is the tag 0x76 0x06, the card image and 4 closing bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace oltrex {

inline constexpr std::array<std::uint8_t, 4> kBlockEndMarker{0x76, 0xFF, 0x76, 0xFF};
inline constexpr std::uint16_t kCardFileTag = 0x7606;
// The tag of the key's first record, which the re-encoding of a secure
// vehicle-unit file writes in front of the blocks; it carries no block data.
inline constexpr std::uint16_t kFirstRecordTag = 0x7600;
inline constexpr std::size_t kNoOffset = static_cast<std::size_t>(-1);

// Tags that start a vehicle-unit block: 0x7601-0x7605, 0x7611-0x7619,
// 0x7621-0x7625 and 0x7631-0x7635 (version-2 smart tachographs).
bool isVehicleUnitTag(std::uint16_t tag);

// Offset of the end marker that closes the block whose data begins at
// `dataBegin`, or kNoOffset when no end marker follows.
std::size_t findBlockEnd(std::span<const std::uint8_t> file, std::size_t dataBegin);

struct ScannedBlock {
    std::uint16_t tag = 0;
    std::size_t tagOffset = 0;   // where the 2 tag bytes stand
    std::size_t dataLength = 0;  // data bytes between tag and end marker
    std::size_t end() const { return tagOffset + 2 + dataLength + kBlockEndMarker.size(); }
};

struct KeyFileScan {
    // A card file: 0x76 0x06 before any block (at the start, as the key
    // writes it). The image runs from behind the tag to before the 4 closing
    // bytes of the file.
    bool card = false;
    std::size_t imageBegin = 0;
    std::size_t imageEnd = 0;

    // Otherwise the complete vehicle-unit blocks in file order.
    std::vector<ScannedBlock> blocks;
    // Tag offset of a block whose end marker is missing; the scan ends there.
    std::size_t openBlock = kNoOffset;
    // Bytes passed over because they start no block (2 at a time, and a last
    // odd byte), not counting the leading first-record tag.
    std::size_t skippedBytes = 0;
    std::size_t firstSkipped = kNoOffset;
};

// From the start of the file: a recognised tag starts a block; any other two
// bytes are passed over. 0x76 0x06 behind a block is no card: two bytes passed
// over, so that a file is either blocks or a card image, never both.
KeyFileScan scanKeyFile(std::span<const std::uint8_t> file);

}  // namespace oltrex
