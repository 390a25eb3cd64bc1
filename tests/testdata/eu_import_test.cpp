// EU download files into the key's form and back: the public samples, the
// generated files, and the refusal of files that do not walk to their end.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "oltrex/testdata/CardBuilder.h"
#include "oltrex/testdata/EuImport.h"
#include "oltrex/testdata/VehicleUnitBuilder.h"

namespace oltrex::testdata {
namespace {

constexpr std::uint32_t kFallbackTime = 0x62000000;

Bytes gen1Eu(int days = 2) {
    VehicleUnitOptions options;
    options.seed = 11;
    options.activityDays = days;
    return euVehicleUnitFile(buildVehicleUnitContent(options).blocks);
}

Bytes gen2Eu() {
    VehicleUnitOptions options;
    options.generation = Generation::Second;
    options.seed = 12;
    options.activityDays = 2;
    return euVehicleUnitFile(buildVehicleUnitContent(options).blocks);
}

Bytes driverCardEu() {
    CardOptions options;
    options.seed = 13;
    return cardImage(buildCardContent(options).records);
}

// Offset of the end of the first block (the overview) of an EU vehicle-unit file.
std::size_t overviewEnd(const Bytes& eu) {
    WalkError error;
    const auto layout = walkEuFile(eu, error);
    return layout ? 2 + layout->blocks.front().dataSize : 0;
}

ImportRefusal refusalOf(const Bytes& file) {
    ImportRefusal refusal;
    EXPECT_FALSE(importEuFile(file, "probe", kFallbackTime, refusal)) << "the file was imported";
    return refusal;
}

// ---- the public samples -------------------------------------------------------

TEST(EuSamples, importAndGiveBackTheirBytesExactly) {
    const auto folder = test::samplesFolder();
    if (!folder) GTEST_SKIP() << "OLTREX_SAMPLES does not name a folder of EU samples";
    int imported = 0;
    for (const auto& sample : test::samples(*folder)) {
        if (!sample.euFormat) continue;
        const Bytes eu = test::readFileBytes(sample.path);
        ImportRefusal refusal;
        const auto file = importEuFile(eu, sample.label, kFallbackTime, refusal);
        ASSERT_TRUE(file) << refusal.message();
        WalkError error;
        const auto back = euFileOfKeyForm(file->file.bytes, error);
        ASSERT_TRUE(back) << sample.label << ": " << error.reason << " at " << error.offset;
        EXPECT_TRUE(*back == eu) << sample.label << " does not round-trip";
        if (file->kind == EuFileKind::Card) {
            EXPECT_EQ(file->file.bytes.size(), eu.size() + 6) << sample.label;
            EXPECT_EQ(file->file.name.rfind("C_", 0), 0u) << sample.label;
        } else {
            EXPECT_EQ(file->file.name.rfind("V_", 0), 0u) << sample.label;
        }
        ++imported;
    }
    EXPECT_GE(imported, 1) << "no EU samples found";
}

TEST(EuSamples, theOneNotInTheEuLayoutIsRefusedWithItsOffset) {
    const auto folder = test::samplesFolder();
    if (!folder) GTEST_SKIP() << "OLTREX_SAMPLES does not name a folder of EU samples";
    int refused = 0;
    for (const auto& sample : test::samples(*folder)) {
        if (sample.euFormat) continue;
        const Bytes bytes = test::readFileBytes(sample.path);
        ImportRefusal refusal;
        EXPECT_FALSE(importEuFile(bytes, sample.label, kFallbackTime, refusal)) << sample.label << " was imported";
        EXPECT_LT(refusal.offset, bytes.size());
        const std::string message = refusal.message();
        EXPECT_EQ(message.rfind(sample.label + ": not imported, offset " + std::to_string(refusal.offset), 0), 0u)
            << message;
        EXPECT_NE(message.find("not an EU download file"), std::string::npos) << message;
        ++refused;
    }
    EXPECT_EQ(refused, 1) << "SOURCES.md should mark exactly one sample as not in the EU layout";
}

TEST(EuSamples, gen1VehicleUnitsAreNamedWithEightHexDigitsAndGen2WithTheLongTime) {
    const auto folder = test::samplesFolder();
    if (!folder) GTEST_SKIP() << "OLTREX_SAMPLES does not name a folder of EU samples";
    for (const auto& sample : test::samples(*folder)) {
        if (!sample.euFormat) continue;
        ImportRefusal refusal;
        const auto file = importEuFile(test::readFileBytes(sample.path), sample.label, kFallbackTime, refusal);
        ASSERT_TRUE(file) << refusal.message();
        const std::string& name = file->file.name;
        const bool gen2 = file->generation == Generation::Second;
        EXPECT_EQ(name.size() >= 2 && name.substr(name.size() - 2) == ".2", gen2) << sample.label;
        if (file->kind == EuFileKind::VehicleUnit && !gen2) {
            const std::string hex = name.substr(name.size() - 8);
            EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << sample.label;
        }
    }
}

// ---- generated files ------------------------------------------------------------

TEST(GeneratedEuFiles, importIntoExactlyTheBuildersKeyFiles) {
    VehicleUnitOptions vu;
    vu.seed = 5;
    for (const Generation generation : {Generation::First, Generation::Second}) {
        vu.generation = generation;
        const GeneratedVehicleUnit unit = buildVehicleUnitContent(vu);
        ImportRefusal refusal;
        const auto file = importEuFile(euVehicleUnitFile(unit.blocks), "generated", kFallbackTime, refusal);
        ASSERT_TRUE(file) << refusal.message();
        EXPECT_EQ(file->file.name, buildVehicleUnitFile(vu).name);
        EXPECT_EQ(file->file.bytes, buildVehicleUnitFile(vu).bytes);
    }
    for (const Generation generation : {Generation::First, Generation::Second}) {
        CardOptions card;
        card.type = CardType::Workshop;
        card.generation = generation;
        const Bytes image = cardImage(buildCardContent(card).records);
        ImportRefusal refusal;
        const auto file = importEuFile(image, "generated", kFallbackTime, refusal);
        ASSERT_TRUE(file) << refusal.message();
        EXPECT_EQ(file->file.bytes, buildCardFile(card).bytes);
        EXPECT_EQ(file->generation, generation);
    }
}

TEST(GeneratedEuFiles, takeTheFallbackTimeWhenTheFileHoldsNoValidTime) {
    VehicleUnitOptions options;
    options.registration = "HB X 77";
    options.downloadTime = 0x80000001;  // top bit set: no time
    ImportRefusal refusal;
    const auto file =
        importEuFile(euVehicleUnitFile(buildVehicleUnitContent(options).blocks), "generated", kFallbackTime, refusal);
    ASSERT_TRUE(file) << refusal.message();
    EXPECT_EQ(file->file.name, "V_HBX77_62000000");
}

TEST(KeyFormOfSFiles, givesBackTheBlocksRunningToEachEndMarker) {
    VehicleUnitOptions options;
    options.generation = Generation::Second;
    options.sBlocks = defaultSBlocks();
    const GeneratedVehicleUnit unit = buildVehicleUnitContent(options);
    WalkError error;
    const auto eu = euFileOfKeyForm(keyVehicleUnitFile(unit.blocks), error);
    ASSERT_TRUE(eu) << error.reason;
    EXPECT_EQ(*eu, euVehicleUnitFile(unit.blocks));
}

TEST(KeyFormOfEuFiles, keepsABlockWhoseDataHoldsTheEndMarkerPatternWhole) {
    Bytes eu = gen1Eu(1);
    // The overview's signature (its last 128 bytes) is opaque: put the marker pattern into it.
    const std::size_t end = overviewEnd(eu);
    ASSERT_GT(end, 64u);
    std::copy(kEndMarker.begin(), kEndMarker.end(), eu.begin() + static_cast<std::ptrdiff_t>(end - 64));
    WalkError error;
    const auto key = keyFormOfEuFile(eu, error);
    ASSERT_TRUE(key) << error.reason;
    const auto back = euFileOfKeyForm(*key, error);
    ASSERT_TRUE(back) << error.reason;
    EXPECT_EQ(*back, eu);
}

// ---- refusals ---------------------------------------------------------------------

TEST(Refusals, anEmptyFileIsRefusedAtOffsetZero) {
    const ImportRefusal r = refusalOf({});
    EXPECT_EQ(r.offset, 0u);
    EXPECT_EQ(r.message(), "probe: not imported, offset 0: the file is empty");
}

TEST(Refusals, aVehicleUnitCutShortIsRefusedAtTheFieldThatRunsOver) {
    const Bytes eu = gen1Eu();
    // The last block (technical data) ends with its 128-byte signature.
    for (const std::size_t cut : {std::size_t{1}, std::size_t{64}, std::size_t{128}}) {
        const Bytes cutFile(eu.begin(), eu.end() - static_cast<std::ptrdiff_t>(cut));
        const ImportRefusal r = refusalOf(cutFile);
        EXPECT_EQ(r.offset, eu.size() - 128) << "cut by " << cut;
        EXPECT_NE(r.reason.find("block 0x7605"), std::string::npos) << r.reason;
        EXPECT_NE(r.reason.find("signature"), std::string::npos) << r.reason;
    }
    // Cut inside the overview's fixed part.
    const ImportRefusal r = refusalOf(Bytes(eu.begin(), eu.begin() + 300));
    EXPECT_EQ(r.offset, 2u);
}

TEST(Refusals, aGarbledRecordCountIsRefusedAtTheCount) {
    Bytes eu = gen1Eu();
    const std::size_t locksCount = 2 + 491;
    eu[locksCount] = 0xF0;  // 240 company locks of 98 bytes cannot fit
    const ImportRefusal r = refusalOf(eu);
    EXPECT_EQ(r.offset, locksCount);
    EXPECT_NE(r.reason.find("company locks"), std::string::npos) << r.reason;
}

TEST(Refusals, aCountThatShiftsTheNextBlockIsRefusedWhereNoTagFollows) {
    Bytes eu = gen1Eu();
    const std::size_t end = overviewEnd(eu);
    const std::size_t controlsCount = 2 + 491 + 1 + 98;  // one lock and one control in the default overview
    ASSERT_EQ(eu[controlsCount], 1);
    eu[controlsCount] = 0;  // the block now ends 31 bytes early
    const ImportRefusal r = refusalOf(eu);
    EXPECT_EQ(r.offset, end - 31);
}

TEST(Refusals, bytesBehindTheLastBlockAreRefusedAtTheirOffset) {
    Bytes eu = gen1Eu();
    const std::size_t end = eu.size();
    eu.push_back(0x00);
    EXPECT_EQ(refusalOf(eu).offset, end);
    eu.push_back(0x00);
    EXPECT_EQ(refusalOf(eu).offset, end);
    Bytes withUnknownTag = gen1Eu();
    withUnknownTag.push_back(0x76);
    withUnknownTag.push_back(0x06);
    const ImportRefusal r = refusalOf(withUnknownTag);
    EXPECT_EQ(r.offset, end);
    EXPECT_NE(r.reason.find("0x7606"), std::string::npos) << r.reason;
}

TEST(Refusals, aGen2RecordArrayThatRunsOverIsRefusedAtItsHeader) {
    Bytes eu = gen2Eu();
    // The first record array of the overview: member state certificate, 1 record.
    ASSERT_EQ(eu[2], 0x04);
    eu[2 + 3] = 0x00;
    eu[2 + 4] = 0xFF;  // 255 certificates
    const ImportRefusal r = refusalOf(eu);
    EXPECT_EQ(r.offset, 2u);
    EXPECT_NE(r.reason.find("record array of type 0x04"), std::string::npos) << r.reason;
}

TEST(Refusals, aGen2BlockWithoutItsSignatureArrayIsRefusedAtTheEnd) {
    const Bytes eu = gen2Eu();
    const Bytes cut(eu.begin(), eu.end() - 5 - 64);  // the last block's signature array is gone
    const ImportRefusal r = refusalOf(cut);
    EXPECT_EQ(r.offset, cut.size());
    EXPECT_NE(r.reason.find("signature record array"), std::string::npos) << r.reason;
}

TEST(Refusals, aCardRecordWithAForeignAppendixIsRefusedAtThatRecord) {
    Bytes eu = driverCardEu();
    const std::size_t second = 5 + 25;  // after the 25-byte ICC record
    eu[second + 2] = 0x81;
    const ImportRefusal r = refusalOf(eu);
    EXPECT_EQ(r.offset, second);
    EXPECT_NE(r.reason.find("appendix 0x81"), std::string::npos) << r.reason;
}

TEST(Refusals, aCardCutInsideARecordIsRefusedAtThatRecordsHeader) {
    const Bytes eu = driverCardEu();
    const Bytes cut(eu.begin(), eu.end() - 10);
    const ImportRefusal r = refusalOf(cut);
    EXPECT_EQ(r.offset, eu.size() - 5 - 128);  // the last record: a 128-byte signature
    const Bytes header(eu.begin(), eu.begin() + 3);
    EXPECT_EQ(refusalOf(header).offset, 0u);
}

TEST(KeyFormRefusals, aMissingEndMarkerIsReportedWhereItShouldBe) {
    const Bytes eu = gen1Eu(1);
    WalkError error;
    auto key = keyFormOfEuFile(eu, error);
    ASSERT_TRUE(key);
    const std::size_t marker = overviewEnd(eu);
    (*key)[marker + 1] = 0x00;
    EXPECT_FALSE(euFileOfKeyForm(*key, error));
    EXPECT_EQ(error.offset, marker);
}

TEST(KeyFormRefusals, aCardFileTooShortForItsClosingBytesIsRefused) {
    WalkError error;
    EXPECT_FALSE(euFileOfKeyForm(Bytes{0x76, 0x06, 0x76, 0xFF}, error));
    EXPECT_EQ(error.offset, 0u);
}

}  // namespace
}  // namespace oltrex::testdata
