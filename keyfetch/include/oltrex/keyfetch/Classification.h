#pragma once
// Classification of a downloaded file before it is filed: the kind letter
// ("S" for a file with one of the blocks 0x7611-0x7616, 0x7618, 0x7619, else
// "V"), the card test and conversion of card images into the EU layout, and
// the normalisation of the technical-data block tags.
//
// Only blocks count: the file is walked block by block the way the container
// maker walks it (a recognised tag, its data up to the end marker 76 FF 76 FF,
// then the next 2 bytes; 2-byte steps over anything else). Tag values inside
// block data are data, never tags, so they are neither counted nor rewritten.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace oltrex {

struct Block {
    std::uint16_t tag = 0;
    std::size_t tagOffset = 0;  // where the 2 tag bytes stand
    std::size_t length = 0;     // data bytes between tag and end marker
};

// Tags that start a vehicle-unit block: 0x7601-0x7605, 0x7611-0x7619,
// 0x7621-0x7625 and 0x7631-0x7635 (version-2 smart tachographs).
bool isBlockTag(std::uint16_t tag);

// The complete blocks of a vehicle-unit file in file order. A block whose end
// marker is missing is not a block. A card file (0x76 0x06 at the start)
// holds no vehicle-unit blocks.
std::vector<Block> scanBlocks(const std::vector<std::uint8_t>& file);

bool isCardFile(const std::vector<std::uint8_t>& file);
// The card image of a card file: without its first 2 and last 4 bytes.
std::vector<std::uint8_t> cardImageOf(const std::vector<std::uint8_t>& file);

// The card test of the card converter's record search: tags 0x000200, 0x000500
// and 0x050101 count one each, 0x050403 one more when any of those was found.
int cardTestScore(const std::vector<std::uint8_t>& image);

struct ClassifiedFile {
    std::string kindName;                 // the key's name with the kind letter in front
    std::vector<std::uint8_t> cardImage;  // EU layout of a converted card, else empty
    bool rewritten = false;               // technical-data tags were normalised
};

inline constexpr int kClassified = 0;
inline constexpr int kNotClassified = -1;  // empty or unreadable file, or it could not be rewritten

// Classifies the file at `localPath` and rewrites it when its technical-data
// tags were normalised. `keyName` is the file's name on the key.
int classifyFile(const std::filesystem::path& localPath, std::string_view keyName,
                 ClassifiedFile& out);

// The same on bytes in memory: returns the kind name's letter and normalises
// `file` in place.
char classifyBytes(std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& cardImage,
                   bool& rewritten);

}  // namespace oltrex
