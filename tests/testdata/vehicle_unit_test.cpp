// Generated vehicle-unit downloads: layout of the overview, block framing,
// EU structure, determinism and the "S" blocks.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "oltrex/testdata/EuWalker.h"
#include "oltrex/testdata/FileNames.h"
#include "oltrex/testdata/Random.h"
#include "oltrex/testdata/VehicleUnitBuilder.h"

namespace oltrex::testdata {
namespace {

struct KeyBlock {
    std::uint16_t tag;
    Bytes data;
};

// Splits a key file at its end markers, as the download program reads it.
std::vector<KeyBlock> splitAtEndMarkers(const Bytes& file) {
    std::vector<KeyBlock> blocks;
    std::size_t pos = 0;
    while (pos + 2 <= file.size()) {
        const std::uint16_t tag = readBe16(file, pos);
        const auto from = file.begin() + static_cast<std::ptrdiff_t>(pos + 2);
        const auto marker = std::search(from, file.end(), kEndMarker.begin(), kEndMarker.end());
        if (marker == file.end()) break;
        blocks.push_back({tag, Bytes(from, marker)});
        pos = static_cast<std::size_t>(marker - file.begin()) + 4;
    }
    EXPECT_EQ(pos, file.size()) << "the file does not end with an end marker";
    return blocks;
}

VehicleUnitOptions gen1Options() {
    VehicleUnitOptions options;
    options.seed = 42;
    options.registration = "B AB 123";
    options.vin = "WDB9340321L123456";
    options.nation = 13;
    options.downloadTime = 0x622B5715;
    return options;
}

TEST(Gen1Overview, holdsVinNationCodePageRegistrationAndTimeAtTheirOffsets) {
    const KeyFile file = buildVehicleUnitFile(gen1Options());
    const auto blocks = splitAtEndMarkers(file.bytes);
    ASSERT_FALSE(blocks.empty());
    ASSERT_EQ(blocks.front().tag, 0x7601);
    const Bytes& overview = blocks.front().data;
    ASSERT_GE(overview.size(), 424u);
    EXPECT_EQ(std::string(overview.begin() + 388, overview.begin() + 405), "WDB9340321L123456");
    EXPECT_EQ(overview[405], 13);
    EXPECT_EQ(overview[406], 0x01);
    EXPECT_EQ(std::string(overview.begin() + 407, overview.begin() + 420), "B AB 123     ");
    EXPECT_EQ(readBe32(overview, 420), 0x622B5715u);
}

TEST(Gen1Overview, hasTheEuSizeForItsLocksAndControls) {
    VehicleUnitOptions options = gen1Options();
    options.companyLocks = 1;
    options.controls = 0;
    EXPECT_EQ(buildVehicleUnitContent(options).blocks.front().data.size(), 719u);
    options.companyLocks = 2;
    options.controls = 3;
    EXPECT_EQ(buildVehicleUnitContent(options).blocks.front().data.size(), 910u);
}

TEST(Gen1VehicleUnit, hasOverviewActivitiesPerDayEventsSpeedAndTechnicalBlocks) {
    VehicleUnitOptions options = gen1Options();
    options.activityDays = 4;
    const auto blocks = splitAtEndMarkers(buildVehicleUnitFile(options).bytes);
    std::vector<std::uint16_t> tags;
    for (const auto& b : blocks) tags.push_back(b.tag);
    ASSERT_EQ(tags.size(), 4u + 4u);
    EXPECT_EQ(tags.front(), 0x7601);
    EXPECT_TRUE(std::all_of(tags.begin() + 1, tags.begin() + 5, [](auto t) { return t == 0x7602; }));
    EXPECT_EQ((std::vector<std::uint16_t>(tags.end() - 3, tags.end())), (std::vector<std::uint16_t>{0x7603, 0x7604, 0x7605}));
}

TEST(GeneratedVehicleUnits, walkToTheirExactEndByTheEuStructure) {
    for (const Generation generation : {Generation::First, Generation::Second}) {
        for (std::uint64_t seed = 1; seed <= 12; ++seed) {
            VehicleUnitOptions options;
            options.generation = generation;
            options.seed = seed;
            options.activityDays = static_cast<int>(seed % 8);
            options.companyLocks = static_cast<int>(seed % 3);
            options.controls = static_cast<int>(seed % 4);
            const GeneratedVehicleUnit unit = buildVehicleUnitContent(options);
            const Bytes eu = euVehicleUnitFile(unit.blocks);
            WalkError error;
            const auto layout = walkEuFile(eu, error);
            ASSERT_TRUE(layout) << "seed " << seed << ": " << error.reason << " at " << error.offset;
            ASSERT_EQ(layout->blocks.size(), unit.blocks.size());
            for (std::size_t i = 0; i < unit.blocks.size(); ++i)
                EXPECT_EQ(layout->blocks[i].dataSize, unit.blocks[i].data.size());
            EXPECT_EQ(layout->generation, generation);
        }
    }
}

TEST(GeneratedVehicleUnits, holdTheTagByteOnlyInTagsAndEndMarkers) {
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        VehicleUnitOptions options;
        options.generation = seed % 2 ? Generation::First : Generation::Second;
        options.seed = seed;
        options.activityDays = 7;
        if (options.generation == Generation::Second && seed % 4 == 0) options.sBlocks = defaultSBlocks();
        const GeneratedVehicleUnit unit = buildVehicleUnitContent(options);
        for (const auto& block : unit.blocks)
            EXPECT_EQ(test::countByte(block.data, kTagByte), 0u)
                << "seed " << seed << ", block 0x" << std::hex << block.tag;
    }
}

TEST(GeneratedVehicleUnits, areTheSameForTheSameSeedAndDifferForAnother) {
    VehicleUnitOptions options;
    options.generation = Generation::Second;
    options.sBlocks = {0x7611, 0x7619};
    const KeyFile a = buildVehicleUnitFile(options);
    const KeyFile b = buildVehicleUnitFile(options);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.bytes, b.bytes);
    options.seed = 2;
    EXPECT_NE(buildVehicleUnitFile(options).bytes, a.bytes);
}

TEST(Gen2VehicleUnit, consistsOfRecordArraysClosedByASignatureArray) {
    VehicleUnitOptions options;
    options.generation = Generation::Second;
    options.activityDays = 3;
    const auto blocks = splitAtEndMarkers(buildVehicleUnitFile(options).bytes);
    ASSERT_EQ(blocks.size(), 3u + 4u);
    for (const auto& block : blocks) {
        EXPECT_TRUE(isGen2BlockTag(block.tag));
        std::size_t pos = 0;
        std::uint8_t lastType = 0;
        std::size_t lastSize = 0;
        while (pos + 5 <= block.data.size()) {
            lastType = block.data[pos];
            lastSize = readBe16(block.data, pos + 1);
            pos += 5 + lastSize * readBe16(block.data, pos + 3);
        }
        EXPECT_EQ(pos, block.data.size());
        EXPECT_EQ(lastType, 0x08);
        EXPECT_EQ(lastSize, 64u);
    }
}

TEST(Gen2VehicleUnit, getsTheRequestedSBlocksBehindItsOwnBlocks) {
    VehicleUnitOptions options;
    options.generation = Generation::Second;
    options.sBlocks = {0x7611, 0x7616, 0x7619};
    const auto blocks = splitAtEndMarkers(buildVehicleUnitFile(options).bytes);
    ASSERT_GE(blocks.size(), 3u);
    EXPECT_EQ(blocks[blocks.size() - 3].tag, 0x7611);
    EXPECT_EQ(blocks[blocks.size() - 2].tag, 0x7616);
    EXPECT_EQ(blocks[blocks.size() - 1].tag, 0x7619);
    EXPECT_EQ(blocks[blocks.size() - 4].tag, 0x7625);
}

TEST(VehicleUnitSpecs, refuseSBlocksOnGeneration1AndTagsOutsideTheSRange) {
    VehicleUnitOptions options;
    options.sBlocks = {0x7611};
    EXPECT_THROW(buildVehicleUnitContent(options), std::invalid_argument);
    options.generation = Generation::Second;
    options.sBlocks = {0x7621};
    EXPECT_THROW(buildVehicleUnitContent(options), std::invalid_argument);
    options.sBlocks = {};
    options.companyLocks = 256;
    EXPECT_THROW(buildVehicleUnitContent(options), std::invalid_argument);
}

TEST(VehicleUnitFileNames, followTheKeysConventionForBothGenerations) {
    VehicleUnitOptions options = gen1Options();
    EXPECT_EQ(buildVehicleUnitFile(options).name, "V_BAB123_622B5715");
    options.generation = Generation::Second;
    EXPECT_EQ(buildVehicleUnitFile(options).name, "V_BAB123_2022-03-11_14-05-09.2");
}

TEST(VehicleUnitFileNames, useTheInventedRegistrationOfTheOverview) {
    VehicleUnitOptions options;
    options.seed = 7;
    const GeneratedVehicleUnit unit = buildVehicleUnitContent(options);
    const Bytes& overview = unit.blocks.front().data;
    const std::string registration(overview.begin() + 407, overview.begin() + 420);
    EXPECT_EQ(buildVehicleUnitFile(options).name, "V_" + nameField(registration) + "_622B5715");
    EXPECT_EQ(nameField(registration), nameField(unit.options.registration));
}

}  // namespace
}  // namespace oltrex::testdata
