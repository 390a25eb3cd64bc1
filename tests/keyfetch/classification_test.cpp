#include "oltrex/keyfetch/Classification.h"

#include <gtest/gtest.h>

#include "KeyFetchFakes.h"

using namespace kftest;

namespace {

Bytes cardRecord(int b1, int b2, int b3, std::size_t size, int start = 1) {
    Bytes out = bytesOf({b1, b2, b3, int(size >> 8), int(size & 0xFF)});
    append(out, filler(size, start));
    return out;
}

Bytes keyCardFile(const Bytes& image) {
    Bytes out = {0x76, 0x06};
    append(out, image);
    append(out, kEndMarker);
    return out;
}

struct Result {
    char letter;
    Bytes file;
    Bytes cardImage;
    bool rewritten;
};

Result classify(Bytes file) {
    Result r{};
    r.letter = oltrex::classifyBytes(file, r.cardImage, r.rewritten);
    r.file = std::move(file);
    return r;
}

std::uint16_t tagAt(const Bytes& b, std::size_t p) {
    return static_cast<std::uint16_t>(b[p] << 8 | b[p + 1]);
}

}  // namespace

TEST(Classification, makesAnSFileOnlyOfRealSmartBlocks) {
    EXPECT_EQ(classify(vehicleFile({0x7601, 0x7614})).letter, 'S');
    EXPECT_EQ(classify(vehicleFile({0x7601, 0x7619})).letter, 'S');
    EXPECT_EQ(classify(vehicleFile({0x7601, 0x7617})).letter, 'V');
}

TEST(Classification, takesTagValuesInsideBlockDataForData) {
    // Real downloads hold pairs such as 76 14 or 76 25 inside their data.
    Bytes data = filler(60);
    data[10] = 0x76, data[11] = 0x14;
    data[31] = 0x76, data[32] = 0x25;  // odd position
    data[40] = 0x76, data[41] = 0x05;
    Bytes file = block(0x7601, data);
    append(file, block(0x7625, filler(20)));
    const Bytes original = file;
    const Result r = classify(file);
    EXPECT_EQ(r.letter, 'V');
    // Only the technical-data block's own tag changes; the data keeps its bytes.
    Bytes expected = original;
    expected[block(0x7601, data).size() + 1] = 0x05;
    EXPECT_EQ(r.file, expected);
    EXPECT_TRUE(r.rewritten);
}

TEST(TechnicalDataNormalisation, turnsTechnicalDataIntoGeneration2BesideGeneration2Blocks) {
    const Result r = classify(vehicleFile({0x7621, 0x7605, 0x7622, 0x7605}));
    EXPECT_EQ(tagAt(r.file, 46), 0x7625);
    EXPECT_EQ(tagAt(r.file, 3 * 46), 0x7625);
}

TEST(TechnicalDataNormalisation, turnsTechnicalDataIntoGeneration1BesideGeneration1Blocks) {
    const Result r = classify(vehicleFile({0x7601, 0x7625}));
    EXPECT_EQ(tagAt(r.file, 46), 0x7605);
    const Result both = classify(vehicleFile({0x7601, 0x7621, 0x7625}));
    EXPECT_EQ(tagAt(both.file, 92), 0x7605);
}

TEST(TechnicalDataNormalisation, leavesAPlainFileUnchanged) {
    const Bytes file = vehicleFile({0x7601, 0x7602, 0x7603, 0x7604, 0x7605});
    const Result r = classify(file);
    EXPECT_EQ(r.file, file);
    EXPECT_FALSE(r.rewritten);
}

TEST(TechnicalDataNormalisation, neverRewritesVersion2Blocks) {
    const Bytes file = vehicleFile({0x7631, 0x7633, 0x7635, 0x7632});
    const Result r = classify(file);
    EXPECT_EQ(r.file, file);
    EXPECT_EQ(r.letter, 'V');
    // Version-2 blocks count as generation 2.
    const Result mixed = classify(vehicleFile({0x7631, 0x7605}));
    EXPECT_EQ(tagAt(mixed.file, 46), 0x7625);
}

TEST(CardTest, convertsAnImageWithTheThreeCardTags) {
    Bytes image = cardRecord(0x00, 0x02, 0x00, 25);
    append(image, cardRecord(0x00, 0x05, 0x00, 8));
    append(image, cardRecord(0x05, 0x01, 0x01, 128));
    const Result r = classify(keyCardFile(image));
    EXPECT_EQ(oltrex::cardTestScore(image), 3);
    EXPECT_FALSE(r.cardImage.empty());
    EXPECT_EQ(r.cardImage, image);  // already in the EU layout's order
}

TEST(CardTest, countsTheGeneration2ActivitySignatureOnlyBesideAnotherCardTag) {
    Bytes image = cardRecord(0x00, 0x02, 0x00, 25);
    append(image, cardRecord(0x00, 0x05, 0x00, 8));
    append(image, cardRecord(0x05, 0x04, 0x03, 64));
    EXPECT_EQ(oltrex::cardTestScore(image), 3);
    EXPECT_FALSE(classify(keyCardFile(image)).cardImage.empty());

    Bytes two = cardRecord(0x05, 0x04, 0x03, 64);
    append(two, cardRecord(0x00, 0x02, 0x00, 25));
    EXPECT_EQ(oltrex::cardTestScore(two), 2);
    EXPECT_TRUE(classify(keyCardFile(two)).cardImage.empty());
    EXPECT_EQ(oltrex::cardTestScore(cardRecord(0x05, 0x04, 0x03, 64)), 0);
}

TEST(CardTest, leavesCardFilesUnnormalisedAndVehicleUnitsUntested) {
    Bytes image = cardRecord(0x00, 0x02, 0x00, 25);
    append(image, cardRecord(0x00, 0x05, 0x00, 8));
    append(image, cardRecord(0x05, 0x01, 0x01, 128));
    append(image, bytesOf({0x76, 0x01, 0x76, 0x25}));
    const Bytes card = keyCardFile(image);
    const Result r = classify(card);
    EXPECT_EQ(r.file, card);
    EXPECT_EQ(r.letter, 'V');

    // The same records inside a vehicle unit's data do not make it a card.
    Bytes vu = block(0x7601, image);
    EXPECT_TRUE(classify(vu).cardImage.empty());
}

TEST(ClassificationOfFiles, replacesTheFirstLetterOfTheKindNameAndRewritesTheFile) {
    TempFolder work;
    const fs::path local = work / "V_AB_623B1A2C";
    writeBytes(local, vehicleFile({0x7611, 0x7621, 0x7605}));
    TraceRecorder trace;
    oltrex::ClassifiedFile out;
    ASSERT_EQ(oltrex::classifyFile(local, "V_AB_623B1A2C", out), 0);
    EXPECT_EQ(out.kindName, "S_AB_623B1A2C");
    EXPECT_EQ(tagAt(readBytes(local), 92), 0x7625);
    EXPECT_TRUE(trace.contains("* rename input-file for test *\r\n"));
}

TEST(ClassificationOfFiles, refusesEmptyAndMissingFiles) {
    TempFolder work;
    oltrex::ClassifiedFile out;
    EXPECT_EQ(oltrex::classifyFile(work / "missing", "V_X", out), -1);
    writeBytes(work / "empty", {});
    EXPECT_EQ(oltrex::classifyFile(work / "empty", "V_X", out), -1);
}
