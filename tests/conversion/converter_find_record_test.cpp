// The record search that both the classification and the converter use.
#include <gtest/gtest.h>

#include "converter_images.h"
#include "oltrex/conversion/CardConverter.h"

using namespace oltrex::testing;
using oltrex::CTachoConvert;

namespace {

class FindCardRecordTest : public ::testing::Test {
protected:
    int find(const char* b1, const char* b2, const char* b3, const Bytes& image) {
        const ExactBuffer exact(image);
        return converter.findCardRecord(b1, b2, b3, exact.data(), exact.size(), &record, &position);
    }
    CTachoConvert converter;
    Bytes record;
    std::size_t position = 12345;
};

TEST_F(FindCardRecordTest, TheFirstRecordWithTheTagIsHandedOutWithItsPosition) {
    const Bytes wanted = cardRecord(0x050403, 64, 0x11);
    const Bytes image = concat({cardRecord(0x050400, 30, 0x22), wanted, cardRecord(0x050403, 10, 0x33)});
    EXPECT_EQ(find("05", "04", "03", image), 69);
    EXPECT_EQ(position, 35u);
    EXPECT_EQ(record, wanted);
}

TEST_F(FindCardRecordTest, HexTextsMayBeLowerCase) {
    const Bytes image = cardRecord(0xC10002, 204, 0x11);
    EXPECT_EQ(find("c1", "00", "02", image), 209);
}

TEST_F(FindCardRecordTest, AZeroLengthIsNoRecordAndTheSearchGoesOn) {
    const Bytes image = concat({Bytes{0x05, 0x20, 0x00, 0x00, 0x00}, cardRecord(0x052000, 143, 0x11)});
    EXPECT_EQ(find("05", "20", "00", image), 148);
    EXPECT_EQ(position, 5u);
}

TEST_F(FindCardRecordTest, TagBytesInsideEarlierDataAreFoundFirst) {
    Bytes image = cardRecord(0x050E00, 40, 0x11);
    const Bytes inner = cardRecord(0x052100, 20, 0x22);
    std::copy(inner.begin(), inner.end(), image.begin() + 10);
    append(image, cardRecord(0x052100, 53, 0x33));
    EXPECT_EQ(find("05", "21", "00", image), 25);
    EXPECT_EQ(position, 10u);
}

TEST_F(FindCardRecordTest, ARecordRunningPastTheImageIsNotTaken) {
    Bytes image = cardRecord(0x050403, 64, 0x11);
    image.resize(40);  // length says 64, only 35 data bytes remain
    EXPECT_EQ(find("05", "04", "03", image), 0);
    EXPECT_TRUE(record.empty());
    EXPECT_EQ(position, 0u);
}

TEST_F(FindCardRecordTest, AShorterCompleteRecordAfterATruncatedClaimIsStillFound) {
    // The claim at the start runs past the end; the real record lies inside it.
    Bytes image{0x05, 0x04, 0x03, 0x7F, 0xFF};
    append(image, cardRecord(0x050403, 64, 0x11));
    EXPECT_EQ(find("05", "04", "03", image), 69);
    EXPECT_EQ(position, 5u);
}

TEST_F(FindCardRecordTest, ARecordEndingExactlyAtTheImageEndIsFound) {
    const Bytes image = concat({Bytes(7, 0x00), cardRecord(0x000500, 1, 0x11)});
    EXPECT_EQ(find("00", "05", "00", image), 6);
    EXPECT_EQ(position, 7u);
}

TEST_F(FindCardRecordTest, ImagesTooShortForARecordHeaderGiveNothing) {
    EXPECT_EQ(find("05", "20", "00", Bytes{0x05, 0x20, 0x00, 0x00}), 0);
    EXPECT_EQ(find("05", "20", "00", Bytes{0x05}), 0);
}

TEST_F(FindCardRecordTest, MissingOrMalformedArgumentsGiveNothingAndPositionZero) {
    const Bytes image = cardRecord(0x052000, 143);
    const ExactBuffer exact(image);
    record = {1, 2, 3};
    EXPECT_EQ(converter.findCardRecord("05", "20", "00", nullptr, exact.size(), &record, &position), 0);
    EXPECT_EQ(position, 0u);
    EXPECT_TRUE(record.empty());
    position = 9;
    EXPECT_EQ(converter.findCardRecord("05", "20", "00", exact.data(), 0, &record, &position), 0);
    EXPECT_EQ(position, 0u);
    EXPECT_EQ(converter.findCardRecord("05", "20", "00", exact.data(), exact.size(), nullptr, &position), 0);
    for (const char* text : {"5", "005", "", "0x", "g0", " 5"}) {
        EXPECT_EQ(converter.findCardRecord(text, "20", "00", exact.data(), exact.size(), &record, &position), 0)
            << '"' << text << '"';
    }
    EXPECT_EQ(converter.findCardRecord("05", nullptr, "00", exact.data(), exact.size(), &record, &position), 0);
    EXPECT_EQ(converter.findCardRecord("05", "20", "00", exact.data(), exact.size(), &record, nullptr), 148)
        << "the position is optional";
}

}  // namespace
