// Generated card downloads: the converter's EFs at its sizes, the fields the
// naming reads, the key's framing and determinism.
#include <gtest/gtest.h>

#include <map>

#include "TestSupport.h"
#include "oltrex/testdata/CardBuilder.h"
#include "oltrex/testdata/EuWalker.h"
#include "oltrex/testdata/Random.h"

namespace oltrex::testdata {
namespace {

constexpr CardType kAllTypes[] = {CardType::Driver, CardType::Workshop, CardType::Control, CardType::Company};

using RecordKey = std::pair<std::uint16_t, std::uint8_t>;

std::map<RecordKey, std::vector<const CardRecord*>> byTag(const GeneratedCard& card) {
    std::map<RecordKey, std::vector<const CardRecord*>> out;
    for (const auto& r : card.records) out[{r.fileId, r.appendix}].push_back(&r);
    return out;
}

const CardRecord& only(const GeneratedCard& card, std::uint16_t fileId, std::uint8_t appendix) {
    const CardRecord* found = nullptr;
    for (const auto& r : card.records)
        if (r.fileId == fileId && r.appendix == appendix) found = &r;
    if (!found) throw std::runtime_error("record missing");
    return *found;
}

CardOptions options(CardType type, Generation generation) {
    CardOptions s;
    s.type = type;
    s.generation = generation;
    s.seed = 3;
    return s;
}

TEST(GeneratedCards, holdEveryConverterEfOnceAtTheTablesSize) {
    const auto table = converterCardFiles();
    ASSERT_EQ(table.size(), 62u);
    for (const CardType type : kAllTypes) {
        for (const Generation generation : {Generation::First, Generation::Second}) {
            const GeneratedCard card = buildCardContent(options(type, generation));
            const auto records = byTag(card);
            const std::size_t entries = generation == Generation::First ? kGen1CardFileCount : table.size();
            for (std::size_t i = 0; i < entries; ++i) {
                const auto& e = table[i];
                const auto it = records.find({e.fileId, e.appendix});
                ASSERT_NE(it, records.end()) << e.name;
                ASSERT_EQ(it->second.size(), 1u) << e.name;
                const std::size_t expected = e.fileId == 0x0520 && e.appendix % 2 == 0 ? identificationSize(type) : e.size;
                EXPECT_EQ(it->second.front()->data.size(), expected) << e.name;
            }
            if (generation == Generation::First) {
                for (const auto& r : card.records) EXPECT_LE(r.appendix, 0x01);
            }
        }
    }
}

TEST(GeneratedCards, carryTheirCardTypeInTheApplicationIdentification) {
    for (const CardType type : kAllTypes) {
        const GeneratedCard card = buildCardContent(options(type, Generation::Second));
        EXPECT_EQ(only(card, 0x0501, 0x00).data.at(0), static_cast<std::uint8_t>(type));
        EXPECT_EQ(only(card, 0x0501, 0x02).data.at(0), static_cast<std::uint8_t>(type));
    }
}

TEST(GeneratedCards, keepOneChipNumberInBothGenerations) {
    const GeneratedCard card = buildCardContent(options(CardType::Control, Generation::Second));
    const Bytes chip(card.chip.begin(), card.chip.end());
    EXPECT_EQ(only(card, 0x0005, 0x00).data, chip);
    EXPECT_EQ(only(card, 0x0005, 0x02).data, chip);
}

TEST(DriverCardIdentification, holdsNationCardNumberAndNamesAtTheirOffsets) {
    CardOptions s = options(CardType::Driver, Generation::First);
    s.nation = 13;
    s.cardNumber = "DX12345678901200";
    s.surname = "PRANKEL";
    s.firstNames = "MIRA";
    const GeneratedCard card = buildCardContent(s);
    const Bytes& id = only(card, 0x0520, 0x00).data;
    EXPECT_EQ(id[0], 13);
    EXPECT_EQ(std::string(id.begin() + 1, id.begin() + 17), "DX12345678901200");
    EXPECT_EQ(id[65], 0x01);
    EXPECT_EQ(std::string(id.begin() + 66, id.begin() + 101), std::string("PRANKEL").append(28, ' '));
    EXPECT_EQ(id[101], 0x01);
    EXPECT_EQ(std::string(id.begin() + 102, id.begin() + 137), std::string("MIRA").append(31, ' '));
}

TEST(WorkshopCardIdentification, holdsTheHoldersNamesAt138And174) {
    CardOptions s = options(CardType::Workshop, Generation::Second);
    s.surname = "ELBRINK";
    s.firstNames = "RUBEN";
    const GeneratedCard card = buildCardContent(s);
    for (const std::uint8_t appendix : {std::uint8_t{0x00}, std::uint8_t{0x02}}) {
        const Bytes& id = only(card, 0x0520, appendix).data;
        ASSERT_EQ(id.size(), 211u);
        EXPECT_EQ(std::string(id.begin() + 138, id.begin() + 145), "ELBRINK");
        EXPECT_EQ(std::string(id.begin() + 174, id.begin() + 179), "RUBEN");
    }
}

TEST(GeneratedCards, inventHolderNamesWhenNoneAreGiven) {
    const GeneratedCard card = buildCardContent(options(CardType::Driver, Generation::First));
    EXPECT_FALSE(card.options.surname.empty());
    EXPECT_FALSE(card.options.firstNames.empty());
    EXPECT_EQ(card.options.cardNumber.size(), 16u);
    const Bytes& id = only(card, 0x0520, 0x00).data;
    EXPECT_EQ(std::string(id.begin() + 66, id.begin() + 66 + static_cast<std::ptrdiff_t>(card.options.surname.size())),
              card.options.surname);
}

TEST(IdentificationSize, canBeSetToTheConvertersSizeForAnyCardType) {
    CardOptions s = options(CardType::Company, Generation::First);
    s.identificationDataSize = 143;
    EXPECT_EQ(only(buildCardContent(s), 0x0520, 0x00).data.size(), 143u);
}

TEST(Gen2Cards, areLargeEnoughAndHaveTheActivitySignatureTheConverterLooksFor) {
    for (const CardType type : kAllTypes) {
        const GeneratedCard card = buildCardContent(options(type, Generation::Second));
        EXPECT_GE(cardImage(card.records).size(), 30000u);
        EXPECT_EQ(only(card, 0x0504, 0x03).data.size(), 64u);
    }
}

TEST(Gen2Cards, canLeaveOutTheirOwnChipRecords) {
    CardOptions s = options(CardType::Driver, Generation::Second);
    s.gen2ChipRecords = false;
    const auto records = byTag(buildCardContent(s));
    EXPECT_FALSE(records.count({0x0002, 0x02}));
    EXPECT_FALSE(records.count({0x0005, 0x02}));
    EXPECT_TRUE(records.count({0x0002, 0x00}));
}

TEST(NonDriverCards, alsoHoldTheEfsOfTheirCardType) {
    EXPECT_TRUE(byTag(buildCardContent(options(CardType::Workshop, Generation::First))).count({0x050A, 0x00}));
    EXPECT_TRUE(byTag(buildCardContent(options(CardType::Control, Generation::First))).count({0x050C, 0x00}));
    EXPECT_TRUE(byTag(buildCardContent(options(CardType::Company, Generation::Second))).count({0x050D, 0x02}));
}

TEST(CardKeyFiles, areTheImageBetweenTheCardTagAndFourClosingBytes) {
    const CardOptions s = options(CardType::Driver, Generation::First);
    const KeyFile file = buildCardFile(s);
    const Bytes image = cardImage(buildCardContent(s).records);
    ASSERT_EQ(file.bytes.size(), image.size() + 6);
    EXPECT_EQ(file.bytes[0], 0x76);
    EXPECT_EQ(file.bytes[1], 0x06);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), file.bytes.begin() + 2));
    EXPECT_TRUE(std::equal(kCardClosingBytes.begin(), kCardClosingBytes.end(), file.bytes.end() - 4));
    WalkError error;
    EXPECT_TRUE(walkCardRecords(file.bytes, 2, file.bytes.size() - 4, error)) << error.reason;
}

TEST(CardKeyFiles, holdTheTagByteOnlyInTheirFraming) {
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        for (const CardType type : kAllTypes) {
            CardOptions s = options(type, seed % 2 ? Generation::First : Generation::Second);
            s.seed = seed;
            const KeyFile file = buildCardFile(s);
            EXPECT_EQ(test::countByte(file.bytes, kTagByte), 3u) << "seed " << seed;
        }
    }
}

TEST(CardKeyFiles, areNamedAfterTheCardNumberAndDownloadTime) {
    CardOptions s = options(CardType::Driver, Generation::First);
    s.cardNumber = "DX12345678901200";
    s.downloadTime = 0x623B1A2C;
    EXPECT_EQ(buildCardFile(s).name, "C_DX12345678901200_623B1A2C");
    s.generation = Generation::Second;
    EXPECT_EQ(buildCardFile(s).name, "C_DX12345678901200_623B1A2C.2");
}

TEST(CardKeyFiles, areTheSameForTheSameSeed) {
    const CardOptions s = options(CardType::Workshop, Generation::Second);
    EXPECT_EQ(buildCardFile(s).bytes, buildCardFile(s).bytes);
    CardOptions other = s;
    other.seed = 4;
    EXPECT_NE(buildCardFile(other).bytes, buildCardFile(s).bytes);
}

}  // namespace
}  // namespace oltrex::testdata
