// The content inside generated files: what a reader of the EU records finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "Arguments.h"
#include "TestSupport.h"
#include "oltrex/testdata/CardBuilder.h"
#include "oltrex/testdata/DemoKey.h"
#include "oltrex/testdata/EuImport.h"
#include "oltrex/testdata/FileNames.h"
#include "oltrex/testdata/VehicleUnitBuilder.h"

namespace oltrex::testdata {
namespace {

const Bytes& recordData(const GeneratedCard& card, std::uint16_t fileId, std::uint8_t appendix) {
    for (const auto& r : card.records)
        if (r.fileId == fileId && r.appendix == appendix) return r.data;
    throw std::runtime_error("record missing");
}

TEST(KeyFiles, splitAtTheirEndMarkersExactlyWhereTheStructureSaysForManySeeds) {
    // The download program finds block ends by scanning for the marker; a
    // marker pattern inside generated data would cut a block short.
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        VehicleUnitOptions options;
        options.seed = seed;
        options.generation = seed % 2 ? Generation::First : Generation::Second;
        if (seed % 3 == 0 && options.generation == Generation::Second) options.sBlocks = defaultSBlocks();
        const GeneratedVehicleUnit unit = buildVehicleUnitContent(options);
        const Bytes file = keyVehicleUnitFile(unit.blocks);
        std::size_t pos = 0;
        for (const auto& block : unit.blocks) {
            const auto from = file.begin() + static_cast<std::ptrdiff_t>(pos + 2);
            const auto marker = std::search(from, file.end(), kEndMarker.begin(), kEndMarker.end());
            ASSERT_EQ(static_cast<std::size_t>(marker - from), block.data.size()) << "seed " << seed;
            pos += 2 + block.data.size() + 4;
        }
    }
}

TEST(DriverActivity, chainsItsDailyRecordsFromTheOldestToTheNewestPointer) {
    for (const Generation generation : {Generation::First, Generation::Second}) {
        CardOptions options;
        options.generation = generation;
        options.seed = 21;
        const GeneratedCard card = buildCardContent(options);
        const Bytes& data = recordData(card, 0x0504, generation == Generation::First ? 0x00 : 0x02);
        const std::size_t ringSize = data.size() - 4;
        auto at = [&](std::size_t pos) { return data[4 + pos % ringSize]; };
        auto u16 = [&](std::size_t pos) { return static_cast<std::size_t>((at(pos) << 8) | at(pos + 1)); };
        auto u32 = [&](std::size_t pos) { return static_cast<std::uint32_t>((u16(pos) << 16) | u16(pos + 2)); };
        const std::size_t oldest = readBe16(data, 0);
        const std::size_t newest = readBe16(data, 2);
        std::size_t pos = oldest;
        std::size_t previousLength = 0;
        std::uint32_t previousDate = 0;
        int days = 0;
        for (;; ++days) {
            ASSERT_LT(days, 400) << "the records never reach the newest pointer";
            EXPECT_EQ(u16(pos), previousLength);
            const std::size_t length = u16(pos + 2);
            const std::uint32_t date = u32(pos + 4);
            EXPECT_EQ(date % 86400, 0u) << "a daily record's date is a midnight";
            EXPECT_GT(date, previousDate) << "days are in order";
            EXPECT_LT(date, options.downloadTime);
            int lastMinute = -1;
            for (std::size_t c = pos + 12; c < pos + length; c += 2) {
                const int minute = static_cast<int>(u16(c) & 0x7FF);
                EXPECT_GT(minute, lastMinute);
                EXPECT_LT(minute, 1440);
                lastMinute = minute;
            }
            if (pos % ringSize == newest) break;
            previousLength = length;
            previousDate = date;
            pos += length;
        }
        EXPECT_GE(days + 1, 3) << "a few working days";
    }
}

TEST(VehiclesUsed, pointsAtItsNewestRecordAndNamesTheCardsVehicles) {
    CardOptions options;
    options.seed = 5;
    const GeneratedCard card = buildCardContent(options);
    const Bytes& used = recordData(card, 0x0505, 0x00);
    const std::size_t newest = readBe16(used, 0);
    for (std::size_t i = 0; i <= newest; ++i) {
        const std::size_t rec = 2 + i * 31;
        EXPECT_LE(readBe24(used, rec), readBe24(used, rec + 3)) << "odometer begin <= end";
        EXPECT_LE(readBe32(used, rec + 6), readBe32(used, rec + 10)) << "first use <= last use";
        EXPECT_EQ(used[rec + 15], 0x01) << "registration code page";
        EXPECT_NE(used[rec + 16], ' ') << "registration text";
    }
    EXPECT_EQ(readBe32(used, 2 + (newest + 1) * 31 + 6), 0u) << "records after the newest are empty";
    // The vehicle of the current usage is among them.
    const Bytes& current = recordData(card, 0x0507, 0x00);
    bool found = false;
    for (std::size_t i = 0; i <= newest; ++i)
        found = found || std::equal(current.begin() + 4, current.end(), used.begin() + static_cast<std::ptrdiff_t>(2 + i * 31 + 14));
    EXPECT_TRUE(found);
}

TEST(Gen1Activities, haveOneMidnightPerBlockInAscendingOrderAndTheDriversCard) {
    VehicleUnitOptions options;
    options.seed = 8;
    options.activityDays = 6;
    const GeneratedVehicleUnit unit = buildVehicleUnitContent(options);
    std::uint32_t previous = 0;
    int days = 0;
    for (const auto& block : unit.blocks) {
        if (block.tag != 0x7602) continue;
        ++days;
        const std::uint32_t date = readBe32(block.data, 0);
        EXPECT_EQ(date % 86400, 0u);
        EXPECT_GT(date, previous);
        previous = date;
        ASSERT_EQ(readBe16(block.data, 7), 1) << "one card insertion";
        EXPECT_EQ(block.data[9 + 72], static_cast<std::uint8_t>(CardType::Driver)) << "card type of the driver's card";
    }
    EXPECT_EQ(days, 6);
    EXPECT_LT(previous, options.downloadTime);
}

TEST(Gen2Overview, holdsTheRegistrationAndCurrentTimeTheFileIsNamedAfter) {
    VehicleUnitOptions options;
    options.generation = Generation::Second;
    options.registration = "K XY 42";
    options.downloadTime = 0x623B1A2C;
    const KeyFile file = buildVehicleUnitFile(options);
    EXPECT_EQ(file.name, "V_KXY42_2022-03-23_13-01-32.2");
    ImportRefusal refusal;
    WalkError error;
    const auto eu = euFileOfKeyForm(file.bytes, error);
    ASSERT_TRUE(eu);
    const auto imported = importEuFile(*eu, "generated", 0, refusal);
    ASSERT_TRUE(imported) << refusal.message();
    EXPECT_EQ(imported->file.name, file.name) << "the name read back from the overview's record arrays";
}

TEST(DemoKey, hasTheMixOfFilesTheDownloadProgramExpects) {
    const auto files = demoKeyFiles();
    int gen1Units = 0, gen2Units = 0, sFiles = 0, logs = 0, treps = 0;
    std::set<std::pair<std::uint8_t, bool>> cards;
    std::set<std::string> names;
    for (const auto& f : files) {
        EXPECT_TRUE(names.insert(f.name).second) << "duplicate " << f.name;
        EXPECT_LE(f.name.size(), 80u);
        EXPECT_GT(f.bytes.size(), 10u) << f.name;
        const bool gen2 = f.name.find(".2") != std::string::npos;
        if (f.name.find("oltrexlog") != std::string::npos) ++logs;
        else if (f.name.find("TREP") != std::string::npos) ++treps;
        else if (f.name.rfind("V_", 0) == 0) {
            (gen2 ? gen2Units : gen1Units)++;
            WalkError error;
            const auto layout = walkKeyFile(f.bytes, error);
            ASSERT_TRUE(layout) << f.name << ": " << error.reason;
            if (std::any_of(layout->blocks.begin(), layout->blocks.end(),
                            [](const EuBlock& b) { return isSBlockTag(b.tag) && b.tag != 0x7617; }))
                ++sFiles;
        } else if (f.name.rfind("C_", 0) == 0) {
            WalkError error;
            const auto layout = walkKeyFile(f.bytes, error);
            ASSERT_TRUE(layout) << f.name << ": " << error.reason;
            for (const auto& r : layout->records)
                if (r.fileId == 0x0501 && r.appendix == 0) cards.insert({f.bytes[r.offset + 5], gen2});
        }
    }
    EXPECT_GE(gen1Units, 2);
    EXPECT_GE(gen2Units, 2);
    EXPECT_EQ(sFiles, 1);
    EXPECT_EQ(logs, 1);
    EXPECT_EQ(treps, 1);
    EXPECT_EQ(cards.size(), 8u) << "four card types in each generation";
}

TEST(InventedNames, doNotOccurInTheSamples) {
    const auto folder = test::samplesFolder();
    if (!folder) GTEST_SKIP() << "OLTREX_SAMPLES does not name a folder of EU samples";
    std::vector<std::string> invented;
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        for (const CardType type : {CardType::Driver, CardType::Workshop}) {
            CardOptions options;
            options.type = type;
            options.seed = seed;
            const GeneratedCard card = buildCardContent(options);
            invented.push_back(card.options.surname);
            invented.push_back(card.options.cardNumber);
        }
    }
    for (const auto& sample : test::samples(*folder)) {
        const Bytes bytes = test::readFileBytes(sample.path);
        const std::string text(bytes.begin(), bytes.end());
        for (const auto& name : invented)
            EXPECT_EQ(text.find(name), std::string::npos) << "an invented value occurs in " << sample.label;
    }
}

TEST(KeyToolArguments, takeValuesInBothFormsAndReportAMissingValue) {
    keytool::Arguments args;
    std::string error;
    ASSERT_TRUE(keytool::parseArguments({"demo", "k", "--seed=4", "--series", "OB", "--fail-keyinfo"}, {"fail-keyinfo"},
                                        args, error));
    EXPECT_EQ(args.command, "demo");
    EXPECT_EQ(args.positional, std::vector<std::string>{"k"});
    EXPECT_EQ(args.value("seed"), "4");
    EXPECT_EQ(args.value("series"), "OB");
    EXPECT_TRUE(args.has("fail-keyinfo"));
    EXPECT_FALSE(keytool::parseArguments({"demo", "k", "--seed"}, {}, args, error));
    EXPECT_NE(error.find("--seed"), std::string::npos);
}

}  // namespace
}  // namespace oltrex::testdata
