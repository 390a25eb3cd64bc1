// Classification of a downloaded file: the block walk, the kind letter, the
// card test and conversion, and the rewrite of the technical-data tags. Only
// tag bytes of technical-data blocks may change; the size never does.
#include <algorithm>
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "oltrex/keyfetch/Classification.h"

namespace {
constexpr const char* kTarget = "classification";
constexpr std::uint8_t kEndMarker[4] = {0x76, 0xFF, 0x76, 0xFF};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    const std::vector<std::uint8_t> original(data, data + size);

    const std::vector<Block> blocks = scanBlocks(original);
    std::set<std::size_t> technicalTagBytes;
    std::size_t previousEnd = 0;
    bool smart = false;
    for (const Block& b : blocks) {
        OLTREX_FUZZ_CHECK(isBlockTag(b.tag), "a block with a tag that starts no block");
        OLTREX_FUZZ_CHECK(b.tagOffset >= previousEnd, "blocks overlap");
        OLTREX_FUZZ_CHECK((b.tagOffset - previousEnd) % 2 == 0,
                          "a block starts off the 2-byte walk");
        const std::size_t markerAt = b.tagOffset + 2 + b.length;
        OLTREX_FUZZ_CHECK(markerAt + 4 <= size, "a block runs past the file");
        OLTREX_FUZZ_CHECK(
            std::equal(kEndMarker, kEndMarker + 4, original.begin() + static_cast<long>(markerAt)),
            "a block does not end at an end marker");
        const auto dataBegin = original.begin() + static_cast<long>(b.tagOffset + 2);
        OLTREX_FUZZ_CHECK(
            std::search(dataBegin, dataBegin + static_cast<long>(b.length) + 4, kEndMarker,
                        kEndMarker + 4) == dataBegin + static_cast<long>(b.length),
            "a block runs over an earlier end marker");
        const std::uint16_t tag =
            static_cast<std::uint16_t>(original[b.tagOffset] << 8 | original[b.tagOffset + 1]);
        OLTREX_FUZZ_CHECK(tag == b.tag, "a block's tag is not the bytes at its offset");
        if (b.tag == 0x7605 || b.tag == 0x7625) technicalTagBytes.insert(b.tagOffset + 1);
        if (b.tag >= 0x7611 && b.tag <= 0x7619 && b.tag != 0x7617) smart = true;
        previousEnd = markerAt + 4;
    }

    std::vector<std::uint8_t> file = original;
    std::vector<std::uint8_t> cardImage;
    bool rewritten = false;
    const char letter = classifyBytes(file, cardImage, rewritten);
    OLTREX_FUZZ_CHECK(letter == 'S' || letter == 'V', "a kind letter other than S or V");
    OLTREX_FUZZ_CHECK(file.size() == original.size(), "classification changed the file's size");
    OLTREX_FUZZ_CHECK(!isCardFile(original) || (file == original && letter == 'V'),
                      "a card file was rewritten or got the letter S");
    if (!isCardFile(original))
        OLTREX_FUZZ_CHECK((letter == 'S') == smart, "the kind letter does not follow the blocks");
    bool changed = false;
    for (std::size_t i = 0; i < size; ++i) {
        if (file[i] == original[i]) continue;
        changed = true;
        OLTREX_FUZZ_CHECK(technicalTagBytes.count(i) == 1,
                          "a byte changed that is not the tag of a technical-data block (offset " +
                              std::to_string(i) + ")");
    }
    OLTREX_FUZZ_CHECK(changed == rewritten,
                      "the rewritten flag does not tell whether bytes changed");
    if (!cardImage.empty())
        OLTREX_FUZZ_CHECK(isCardFile(original), "a card image from a file that is no card");

    (void)cardTestScore(original);
    (void)cardImageOf(original);
    return 0;
}
