// The block scan that the container maker, the classification, the EU file of
// a key file, the key's secure form and the key tool share.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "oltrex/blockscan/BlockScan.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using oltrex::kNoOffset;

Bytes bytesOf(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// Data bytes below 0x70 never form a tag or an end marker by chance.
Bytes filler(std::size_t n) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(7 * i % 0x70);
    return out;
}

Bytes block(std::uint16_t tag, const Bytes& data) {
    Bytes out = bytesOf({tag >> 8, tag & 0xFF});
    append(out, data);
    append(out, bytesOf({0x76, 0xFF, 0x76, 0xFF}));
    return out;
}

Bytes endingIn(Bytes tail) {
    Bytes data = filler(130);
    append(data, tail);
    return data;
}

}  // namespace

TEST(BlockEnd, IsTheLastMarkerOfARunOf76FFPairs) {
    // Data ending in 76 FF, in 76 FF 76 FF and in 76 FF 76 FF 76 FF: the file reads a run of pairs.
    for (const Bytes& tail : {bytesOf({0x76, 0xFF}), bytesOf({0x76, 0xFF, 0x76, 0xFF}),
                              bytesOf({0x76, 0xFF, 0x76, 0xFF, 0x76, 0xFF}), bytesOf({0x76}),
                              bytesOf({0xFF, 0x76}), bytesOf({0x76, 0xFF, 0x76})}) {
        const Bytes data = endingIn(tail);
        Bytes file = block(0x7601, data);
        append(file, block(0x7602, filler(9)));
        EXPECT_EQ(oltrex::findBlockEnd(file, 2), 2 + data.size()) << tail.size();
    }
}

TEST(BlockEnd, IsMissingWithoutAWholeMarkerAndForAStartBeyondTheFile) {
    const Bytes file = bytesOf({0x76, 0x01, 1, 2, 0x76, 0xFF, 0x76});
    EXPECT_EQ(oltrex::findBlockEnd(file, 2), kNoOffset);
    EXPECT_EQ(oltrex::findBlockEnd(file, 7), kNoOffset);
    EXPECT_EQ(oltrex::findBlockEnd(file, 8), kNoOffset);
    EXPECT_EQ(oltrex::findBlockEnd(bytesOf({0x76, 0xFF, 0x76, 0xFF}), 0), 0u);
}

TEST(KeyFileScan, FindsTheBlocksAndCountsWhatStartsNoBlock) {
    Bytes file = bytesOf({0x12, 0x34});
    append(file, block(0x7601, endingIn(bytesOf({0x76, 0xFF}))));
    append(file, block(0x7602, {}));
    append(file, bytesOf({0x55}));
    const auto scan = oltrex::scanKeyFile(file);
    ASSERT_EQ(scan.blocks.size(), 2u);
    EXPECT_EQ(scan.blocks[0].tag, 0x7601);
    EXPECT_EQ(scan.blocks[0].tagOffset, 2u);
    EXPECT_EQ(scan.blocks[0].dataLength, 132u) << "the block keeps its last two bytes 76 FF";
    EXPECT_EQ(scan.blocks[1].tag, 0x7602);
    EXPECT_EQ(scan.blocks[1].dataLength, 0u);
    EXPECT_EQ(scan.skippedBytes, 3u);
    EXPECT_EQ(scan.firstSkipped, 0u);
    EXPECT_EQ(scan.openBlock, kNoOffset);
    EXPECT_FALSE(scan.card);
}

TEST(KeyFileScan, EndsAtABlockWithoutItsEndMarker) {
    Bytes file = block(0x7601, filler(30));
    append(file, bytesOf({0x76, 0x02, 1, 2, 3, 4}));
    const auto scan = oltrex::scanKeyFile(file);
    EXPECT_EQ(scan.blocks.size(), 1u);
    EXPECT_EQ(scan.openBlock, 36u);
    EXPECT_EQ(scan.skippedBytes, 0u);
}

TEST(KeyFileScan, PassesOverTheLeadingFirstRecordTagButCountsStrayBytes) {
    Bytes secure = bytesOf({0x76, 0x00});
    append(secure, block(0x7621, filler(20)));
    const auto reencoded = oltrex::scanKeyFile(secure);
    EXPECT_EQ(reencoded.blocks.size(), 1u);
    EXPECT_EQ(reencoded.skippedBytes, 0u);

    // An odd stray byte shifts the scan: no tag is found behind it.
    Bytes odd = bytesOf({0x00});
    append(odd, block(0x7601, filler(30)));
    const auto shifted = oltrex::scanKeyFile(odd);
    EXPECT_TRUE(shifted.blocks.empty());
    EXPECT_EQ(shifted.skippedBytes, odd.size());
}

TEST(KeyFileScan, TakesACardFileAsImageBetweenTagAndClosingBytes) {
    Bytes file = bytesOf({0x76, 0x06, 0x00, 0x02, 0x00, 0x00, 0x01, 0x33});
    append(file, bytesOf({0x76, 0xFF, 0x76, 0xFF}));
    const auto scan = oltrex::scanKeyFile(file);
    EXPECT_TRUE(scan.card);
    EXPECT_EQ(scan.imageBegin, 2u);
    EXPECT_EQ(scan.imageEnd, 8u);
    EXPECT_TRUE(scan.blocks.empty());

    // Behind stray bytes the image starts after the tag; the stray bytes count.
    Bytes behind = bytesOf({0x12, 0x34});
    append(behind, file);
    const auto behindScan = oltrex::scanKeyFile(behind);
    EXPECT_TRUE(behindScan.card);
    EXPECT_EQ(behindScan.imageBegin, 4u);
    EXPECT_EQ(behindScan.imageEnd, 10u);
    EXPECT_EQ(behindScan.skippedBytes, 2u);

    // Behind a block 0x7606 is two bytes that start no block.
    Bytes late = block(0x7601, filler(10));
    append(late, file);
    const auto lateScan = oltrex::scanKeyFile(late);
    EXPECT_FALSE(lateScan.card);
    EXPECT_EQ(lateScan.blocks.size(), 1u);
    EXPECT_GT(lateScan.skippedBytes, 0u);
}
