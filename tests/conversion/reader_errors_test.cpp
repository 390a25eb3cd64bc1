// Damaged or foreign containers are refused with an error that says what is
// wrong; nothing is read outside the file.
#include <gtest/gtest.h>

#include "oltrex/dlcreader/ContainerReader.h"
#include "reader_containers.h"

using namespace oltrex::testing;
namespace dlc = oltrex::dlc;
using dlc::ReadError;

namespace {

Bytes validPlain() {
    return joined({headerRecord(headerBlock(5, 1000)), vehicleUnitBlocks({{0x7601, filled(300, 1)}, {0x7602, filled(50, 2)}})});
}

ReadError errorOf(const Bytes& file) {
    const auto result = dlc::readContainer(file);
    if (!result.ok()) {
        EXPECT_FALSE(result.message.empty());
    }
    return result.error;
}

ReadError plainErrorOf(const Bytes& plain) { return errorOf(sealContainer(plain)); }

TEST(ReaderErrors, AWrongVersionRecordIsNamed) {
    const Bytes good = sealContainer(validPlain());
    for (std::size_t i = 0; i < 8; ++i) {
        Bytes bad = good;
        bad[i] ^= 0x01;
        EXPECT_EQ(errorOf(bad), ReadError::WrongVersionRecord) << "byte " << i;
    }
    EXPECT_EQ(errorOf({}), ReadError::WrongVersionRecord);
    EXPECT_EQ(errorOf({0x00, 0x00, 0x00, 0x04, 0x76}), ReadError::WrongVersionRecord);
    const auto result = dlc::readContainer(Bytes{0x00, 0x00, 0x00, 0x04, 0x76, 0x00, 0x00, 0x02});
    EXPECT_NE(result.message.find("wrong version record"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("00 00 00 04 76 00 00 02"), std::string::npos) << result.message;
}

TEST(ReaderErrors, BadPaddingOfTheOuterLayerIsNamed) {
    Bytes bad = sealContainer(validPlain());
    bad.back() ^= 0x55;  // the last block decrypts to garbage padding
    const auto result = dlc::readContainer(bad);
    EXPECT_EQ(result.error, ReadError::BadPadding);
    EXPECT_NE(result.message.find("bad padding"), std::string::npos) << result.message;
}

TEST(ReaderErrors, AContainerSealedWithTheHeaderKeySetDoesNotOpen) {
    Bytes file{0x00, 0x00, 0x00, 0x04, 0x76, 0x00, 0x00, 0x01};
    const Bytes sealed = aes192CbcEncrypt(validPlain(), oltrex::KeySetId::HeaderA);
    file.insert(file.end(), sealed.begin(), sealed.end());
    // Wrong keys almost always end in bad padding; when the padding happens to
    // look right the header record is garbage instead.
    EXPECT_NE(errorOf(file), ReadError::None);
}

TEST(ReaderErrors, AnOuterLayerOfPartialBlocksIsRefused) {
    Bytes file = sealContainer(validPlain());
    file.pop_back();
    EXPECT_EQ(errorOf(file), ReadError::BadCiphertextLength);
    EXPECT_EQ(errorOf(Bytes{0x00, 0x00, 0x00, 0x04, 0x76, 0x00, 0x00, 0x01}), ReadError::BadCiphertextLength)
        << "a version record and nothing else";
}

TEST(ReaderErrors, ATruncatedBlockIsNamed) {
    Bytes plain = validPlain();
    plain.resize(plain.size() - 1);  // the last block lacks a byte
    const auto result = dlc::readContainer(sealContainer(plain));
    EXPECT_EQ(result.error, ReadError::TruncatedRecord);
    EXPECT_NE(result.message.find("truncated record"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("0x7602"), std::string::npos) << result.message;
}

TEST(ReaderErrors, ABlockHeaderCutShortIsTruncated) {
    for (std::size_t extra = 1; extra < 6; ++extra) {
        Bytes plain = validPlain();
        const Bytes start = vehicleUnitBlocks({{0x7603, filled(10, 3)}});
        plain.insert(plain.end(), start.begin(), start.begin() + static_cast<std::ptrdiff_t>(extra));
        EXPECT_EQ(plainErrorOf(plain), ReadError::TruncatedRecord) << extra;
    }
}

TEST(ReaderErrors, ABlockLengthBelowTwoIsRefused) {
    Bytes plain = joined({headerRecord(headerBlock(5, 1)), Bytes{0x00, 0x00, 0x00, 0x01, 0x76, 0x01}});
    EXPECT_EQ(plainErrorOf(plain), ReadError::BadRecordLength);
}

TEST(ReaderErrors, AHugeBlockLengthIsTruncatedNotAnOverflow) {
    Bytes plain = joined({headerRecord(headerBlock(5, 1)), Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x76, 0x01, 0xAA}});
    EXPECT_EQ(plainErrorOf(plain), ReadError::TruncatedRecord);
}

TEST(ReaderErrors, ABlockWithATagTheMakerNeverWritesIsRefused) {
    Bytes plain = validPlain();
    const Bytes stray = vehicleUnitBlocks({{0x7606, filled(4, 1)}});
    plain.insert(plain.end(), stray.begin(), stray.end());
    EXPECT_EQ(plainErrorOf(plain), ReadError::UnknownBlockTag);
}

TEST(ReaderErrors, ACardImageWhoseLastRecordOrHeaderIsCutIsReadWithAWarning) {
    Bytes image{0x05, 0x20, 0x00, 0x00, 0x03, 7, 8, 9};
    for (const Bytes& tail : {Bytes{0x05, 0x04, 0x00, 0x00, 0x09, 1, 2}, Bytes{0x05, 0x04}}) {
        Bytes cut = image;
        cut.insert(cut.end(), tail.begin(), tail.end());
        const auto result = dlc::readContainer(sealContainer(joined({headerRecord(headerBlock(5, 1)), cut})));
        ASSERT_TRUE(result.ok()) << result.message;
        EXPECT_EQ(result.value.cardRecords.size(), 1u);
        ASSERT_EQ(result.value.warnings.size(), 1u);
        EXPECT_NE(result.value.warnings[0].find("image offset 8"), std::string::npos) << result.value.warnings[0];
        EXPECT_EQ(dlc::euDownloadFile(result.value), cut);
    }
}

TEST(ReaderErrors, ATruncatedCardRecordIsNamed) {
    Bytes image{0x05, 0x20, 0x00, 0x00, 0x8F};
    const Bytes data = filled(100, 1);  // 143 announced
    image.insert(image.end(), data.begin(), data.end());
    const auto result = dlc::readContainer(sealContainer(joined({headerRecord(headerBlock(5, 1)), image})));
    EXPECT_EQ(result.error, ReadError::TruncatedRecord);
    EXPECT_NE(result.message.find("0x0520"), std::string::npos) << result.message;
    EXPECT_EQ(plainErrorOf(joined({headerRecord(headerBlock(5, 1)), Bytes{0x05, 0x20, 0x00}})),
              ReadError::TruncatedRecord);
}

TEST(ReaderErrors, TheHeaderRecordMustComeFirstAndWhole) {
    EXPECT_EQ(plainErrorOf(vehicleUnitBlocks({{0x7601, filled(300, 1)}})), ReadError::MissingHeaderRecord);
    Bytes header = headerRecord(headerBlock(5, 1));
    EXPECT_EQ(plainErrorOf(Bytes(header.begin(), header.end() - 16)), ReadError::TruncatedRecord);
    EXPECT_EQ(plainErrorOf(Bytes(header.begin(), header.begin() + 4)), ReadError::TruncatedRecord);
    Bytes shortLength = header;
    shortLength[3] = 0x01;
    EXPECT_EQ(plainErrorOf(shortLength), ReadError::BadRecordLength);
}

TEST(ReaderErrors, AHeaderBlockSealedWithTheWrongKeySetDoesNotPass) {
    Bytes plain;
    const Bytes sealed = aes192CbcEncrypt(headerBlock(5, 1), oltrex::KeySetId::ContainerB);
    putBe32(plain, static_cast<std::uint32_t>(sealed.size() + 2));
    putBe16(plain, 0x76FF);
    plain.insert(plain.end(), sealed.begin(), sealed.end());
    const Bytes block = vehicleUnitBlocks({{0x7601, filled(10, 1)}});
    plain.insert(plain.end(), block.begin(), block.end());
    const ReadError error = plainErrorOf(plain);
    EXPECT_TRUE(error == ReadError::BadPadding || error == ReadError::BadHeaderBlock) << dlc::errorName(error);
}

TEST(ReaderErrors, AHeaderBlockOfTheWrongShapeIsRefused) {
    const Bytes block = vehicleUnitBlocks({{0x7601, filled(10, 1)}});
    Bytes shortBlock = headerBlock(5, 1);
    shortBlock.resize(200);
    EXPECT_EQ(plainErrorOf(joined({headerRecord(shortBlock), block})), ReadError::BadHeaderBlock);
    Bytes wrongStart = headerBlock(5, 1);
    wrongStart[1] = 0x05;
    EXPECT_EQ(plainErrorOf(joined({headerRecord(wrongStart), block})), ReadError::BadHeaderBlock);
    EXPECT_EQ(plainErrorOf(joined({headerRecord(headerBlock(7, 1)), block})), ReadError::BadHeaderBlock);
}

TEST(ReaderErrors, AContainerWithNothingBehindTheHeaderIsRefused) {
    EXPECT_EQ(plainErrorOf(headerRecord(headerBlock(5, 1))), ReadError::NoContent);
}

TEST(ReaderErrors, AMissingFileCannotBeRead) {
    const auto result = dlc::readContainerFile("/nonexistent/folder/container.dlc");
    EXPECT_EQ(result.error, ReadError::CannotRead);
}

}  // namespace
