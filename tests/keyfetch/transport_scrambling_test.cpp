#include <gtest/gtest.h>

#include "KeyFetchFakes.h"
#include "oltrex/keyfetch/TransportScrambling.h"

using namespace kftest;

TEST(TransportDescrambling, xorsWholeWordsWithASteppedKeyAndTheRestWithTheFinalKey) {
    Bytes data = bytesOf({0, 0, 0, 0, 0, 0, 0});
    oltrex::descrambleTransport(data.data(), data.size());
    const std::uint32_t k0 = 0x5E07C9A2u, k1 = k0 - 0x3D91B6E4u;
    EXPECT_EQ(data, bytesOf({0xA2, 0xC9, 0x07, 0x5E, int(k1 & 0xFF), int((k1 >> 8) & 0xFF),
                             int((k1 >> 16) & 0xFF)}));
}

TEST(TransportDescrambling, undoesTheKeysScramblingForEveryLength) {
    for (std::size_t n : {0u, 1u, 3u, 4u, 5u, 1023u, 4096u}) {
        const Bytes original = filler(n, 11);
        Bytes data = transportScramble(original);
        oltrex::descrambleTransport(data.data(), data.size());
        EXPECT_EQ(data, original) << n << " bytes";
    }
}

TEST(ProtectedReadDecision, followsTheSeriesAndFirmwareRanges) {
    using oltrex::needsProtectedRead;
    EXPECT_FALSE(needsProtectedRead("OX", 120 - 3));
    EXPECT_TRUE(needsProtectedRead("OX", 150));
    EXPECT_TRUE(needsProtectedRead("OX", 599));
    EXPECT_FALSE(needsProtectedRead("OX", 600));
    EXPECT_TRUE(needsProtectedRead("OB", 102));
    EXPECT_FALSE(needsProtectedRead("OB", 101));
    EXPECT_TRUE(needsProtectedRead("OC", 402));
    EXPECT_FALSE(needsProtectedRead("OC", 401));
    EXPECT_TRUE(needsProtectedRead("OE", 603));
    EXPECT_FALSE(needsProtectedRead("OE", 602));
}

TEST(ProtectedReadDecision, leavesFirmware830And870ToThePlainRead) {
    using oltrex::needsProtectedRead;
    EXPECT_FALSE(needsProtectedRead("OX", 830));
    EXPECT_FALSE(needsProtectedRead("OX", 870));
    EXPECT_TRUE(needsProtectedRead("ZZ", 829));
    EXPECT_TRUE(needsProtectedRead("ZZ", 1200));
    EXPECT_FALSE(needsProtectedRead("ZZ", 1201));
}
