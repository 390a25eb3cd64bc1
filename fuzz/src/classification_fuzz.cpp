// Classification of a downloaded file: the shared block scan, the kind letter, the
// card test and conversion, and the rewrite of the technical-data tags. Only
// tag bytes of technical-data blocks may change; the size never does.
#include <algorithm>
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "oltrex/blockscan/BlockScan.h"
#include "oltrex/keyfetch/Classification.h"

namespace {
constexpr const char* kTarget = "classification";
constexpr std::uint8_t kEndMarker[4] = {0x76, 0xFF, 0x76, 0xFF};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace oltrex;
    const std::vector<std::uint8_t> original(data, data + size);

    // The shared block scan: blocks on the 2-byte walk, each ending at the
    // last end marker of the first run of 76 FF pairs behind its tag, and
    // every byte of the file accounted for.
    const KeyFileScan scan = scanKeyFile(original);
    std::set<std::size_t> technicalTagBytes;
    std::size_t previousEnd = 0;
    std::size_t covered = 0;
    bool smart = false;
    for (const ScannedBlock& b : scan.blocks) {
        OLTREX_FUZZ_CHECK(isVehicleUnitTag(b.tag), "a block with a tag that starts no block");
        OLTREX_FUZZ_CHECK(b.tagOffset >= previousEnd, "blocks overlap");
        OLTREX_FUZZ_CHECK((b.tagOffset - previousEnd) % 2 == 0,
                          "a block starts off the 2-byte walk");
        const std::size_t markerAt = b.tagOffset + 2 + b.dataLength;
        OLTREX_FUZZ_CHECK(markerAt + 4 <= size, "a block runs past the file");
        OLTREX_FUZZ_CHECK(
            std::equal(kEndMarker, kEndMarker + 4, original.begin() + static_cast<long>(markerAt)),
            "a block does not end at an end marker");
        OLTREX_FUZZ_CHECK(
            markerAt + 6 > size || original[markerAt + 4] != 0x76 || original[markerAt + 5] != 0xFF,
            "a block ends before the last marker of its run of 76 FF pairs");
        const auto dataBegin = original.begin() + static_cast<long>(b.tagOffset + 2);
        const auto first = std::search(dataBegin, dataBegin + static_cast<long>(b.dataLength) + 4,
                                       kEndMarker, kEndMarker + 4);
        for (auto p = first; p < dataBegin + static_cast<long>(b.dataLength); p += 2)
            OLTREX_FUZZ_CHECK(p[0] == 0x76 && p[1] == 0xFF,
                              "a block runs over an end marker that ends no run of 76 FF pairs");
        const std::uint16_t tag =
            static_cast<std::uint16_t>(original[b.tagOffset] << 8 | original[b.tagOffset + 1]);
        OLTREX_FUZZ_CHECK(tag == b.tag, "a block's tag is not the bytes at its offset");
        if (b.tag == 0x7605 || b.tag == 0x7625) technicalTagBytes.insert(b.tagOffset + 1);
        if (b.tag >= 0x7611 && b.tag <= 0x7619 && b.tag != 0x7617) smart = true;
        previousEnd = markerAt + 4;
        covered += b.end() - b.tagOffset;
    }
    if (!scan.card) {
        const bool leadingFirstRecord = size >= 2 && original[0] == 0x76 && original[1] == 0x00;
        covered += scan.skippedBytes + (leadingFirstRecord ? 2 : 0) +
                   (scan.openBlock == kNoOffset ? 0 : size - scan.openBlock);
        OLTREX_FUZZ_CHECK(covered == size,
                          "bytes of the file are neither in a block nor counted as skipped");
    }
    const bool cardFile = scan.card;

    std::vector<std::uint8_t> file = original;
    std::vector<std::uint8_t> cardImage;
    bool rewritten = false;
    const char letter = classifyBytes(file, cardImage, rewritten);
    OLTREX_FUZZ_CHECK(letter == 'S' || letter == 'V', "a kind letter other than S or V");
    OLTREX_FUZZ_CHECK(file.size() == original.size(), "classification changed the file's size");
    OLTREX_FUZZ_CHECK(!cardFile || (file == original && letter == 'V'),
                      "a card file was rewritten or got the letter S");
    if (!cardFile)
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
    if (!cardImage.empty()) OLTREX_FUZZ_CHECK(cardFile, "a card image from a file that is no card");

    (void)cardTestScore(original);
    return 0;
}
