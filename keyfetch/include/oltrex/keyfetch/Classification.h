#pragma once
// Classification of a downloaded file before it is filed: the kind letter
// ("S" for a file with one of the blocks 0x7611-0x7616, 0x7618, 0x7619, else
// "V"), the card test and conversion of card images into the EU layout, and
// the normalisation of the technical-data block tags.
//
// Only blocks count: the file is walked by the block scan that the container
// maker uses (oltrex/blockscan/BlockScan.h). Tag values inside block data are
// data, never tags, so they are neither counted nor rewritten.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace oltrex {

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
