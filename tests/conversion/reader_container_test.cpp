// Reading valid containers back: header values, blocks or card records, and
// the EU download file they hold.
#include <gtest/gtest.h>

#include "oltrex/dlcreader/ContainerReader.h"
#include "oltrex/dlcreader/ContainerReport.h"
#include "reader_containers.h"

using namespace oltrex::testing;
namespace dlc = oltrex::dlc;

namespace {

// 2022-03-11 14:05:09
constexpr std::uint32_t kHeaderTime = 0x622B5715;

TEST(ReaderContainer, AVehicleUnitContainerGivesItsHeaderAndBlocksInOrder) {
    const Bytes overview = filled(719, 1);
    const Bytes activities = filled(1000, 2);
    const Bytes technical = filled(1100, 3);
    const Bytes plain = joined({headerRecord(headerBlock(10, kHeaderTime)),
                                vehicleUnitBlocks({{0x7601, overview}, {0x7602, activities}, {0x7605, technical}})});
    const auto result = dlc::readContainer(sealContainer(plain));
    ASSERT_TRUE(result.ok()) << result.message;
    const dlc::Container& c = result.value;
    EXPECT_EQ(c.header.installationClass, 10);
    EXPECT_EQ(c.header.headerTime, kHeaderTime);
    EXPECT_EQ(c.header.block, headerBlock(10, kHeaderTime));
    ASSERT_EQ(c.kind, dlc::ContentKind::VehicleUnit);
    ASSERT_EQ(c.blocks.size(), 3u);
    EXPECT_EQ(c.blocks[0].tag, 0x7601);
    EXPECT_EQ(c.blocks[0].data, overview);
    EXPECT_EQ(c.blocks[1].tag, 0x7602);
    EXPECT_EQ(c.blocks[1].data, activities);
    EXPECT_EQ(c.blocks[2].tag, 0x7605);
    EXPECT_EQ(c.blocks[2].data, technical);

    EXPECT_EQ(dlc::euDownloadFile(c), joined({Bytes{0x76, 0x01}, overview, Bytes{0x76, 0x02}, activities,
                                              Bytes{0x76, 0x05}, technical}));
}

TEST(ReaderContainer, BlocksOfEveryGenerationAreRecognised) {
    for (std::uint16_t tag : {0x7601, 0x7605, 0x7611, 0x7619, 0x7621, 0x7625, 0x7631, 0x7635}) {
        const Bytes plain = joined({headerRecord(headerBlock(5, 1)), vehicleUnitBlocks({{tag, filled(10, 9)}})});
        const auto result = dlc::readContainer(sealContainer(plain));
        ASSERT_TRUE(result.ok()) << std::hex << tag << ": " << result.message;
        EXPECT_EQ(result.value.blocks.at(0).tag, tag);
    }
}

TEST(ReaderContainer, ABlockWithoutDataIsKept) {
    const Bytes plain = joined({headerRecord(headerBlock(5, 1)), vehicleUnitBlocks({{0x7603, {}}, {0x7604, filled(3, 1)}})});
    const auto result = dlc::readContainer(sealContainer(plain));
    ASSERT_TRUE(result.ok()) << result.message;
    ASSERT_EQ(result.value.blocks.size(), 2u);
    EXPECT_TRUE(result.value.blocks[0].data.empty());
}

TEST(ReaderContainer, ACardContainerGivesItsImageAndRecords) {
    Bytes image;
    for (const auto& [tag, length] : std::vector<std::pair<std::uint32_t, std::uint16_t>>{
             {0x000200, 25}, {0x000500, 8}, {0x052000, 143}, {0x052001, 128}, {0x050400, 13780}}) {
        putBe16(image, static_cast<std::uint16_t>(tag >> 8));
        image.push_back(static_cast<std::uint8_t>(tag));
        putBe16(image, length);
        const Bytes data = filled(length, static_cast<std::uint8_t>(tag));
        image.insert(image.end(), data.begin(), data.end());
    }
    const Bytes plain = joined({headerRecord(headerBlock(5, kHeaderTime)), image});
    const auto result = dlc::readContainer(sealContainer(plain));
    ASSERT_TRUE(result.ok()) << result.message;
    const dlc::Container& c = result.value;
    ASSERT_EQ(c.kind, dlc::ContentKind::Card);
    EXPECT_EQ(c.header.installationClass, 5);
    EXPECT_EQ(c.cardImage, image);
    ASSERT_EQ(c.cardRecords.size(), 5u);
    EXPECT_EQ(c.cardRecords[2].fileId, 0x0520);
    EXPECT_EQ(c.cardRecords[3].appendix, 0x01);
    EXPECT_EQ(c.cardRecords[4].length, 13780u);
    EXPECT_EQ(c.cardRecords[4].offset, image.size() - 13785);
    EXPECT_EQ(dlc::euDownloadFile(c), image);
}

TEST(ReaderContainer, TheOuterLayerAloneGivesThePlainContainer) {
    const Bytes plain = joined({headerRecord(headerBlock(5, 7)), vehicleUnitBlocks({{0x7601, filled(100, 5)}})});
    const auto outer = dlc::decryptOuterLayer(sealContainer(plain));
    ASSERT_TRUE(outer.ok()) << outer.message;
    EXPECT_EQ(outer.value, plain);
}

TEST(ReaderContainer, TheListingNamesHeaderValuesAndBlocks) {
    const Bytes plain = joined({headerRecord(headerBlock(10, kHeaderTime)), vehicleUnitBlocks({{0x7601, filled(719, 1)}})});
    const auto result = dlc::readContainer(sealContainer(plain));
    ASSERT_TRUE(result.ok());
    const std::string listing = dlc::describeContainer(result.value);
    EXPECT_NE(listing.find("installation class: 10"), std::string::npos) << listing;
    EXPECT_NE(listing.find("2022-03-11 14:05:09"), std::string::npos) << listing;
    EXPECT_NE(listing.find("block 0x7601  719 bytes"), std::string::npos) << listing;
}

}  // namespace
