// Blocks whose data ends in 76 FF are filed whole; a file that cannot be
// filed whole leaves the key only once the key file is kept, byte for byte,
// in the container folder's "Unvollstaendig" subfolder. On the console, from
// plain and secure keys.
#include <gtest/gtest.h>

#include "ConsoleRun.h"
#include "ExpectedForms.h"
#include "oltrex/simkey/KeyForms.h"
#include "oltrex/testdata/DemoKey.h"
#include "oltrex/testdata/EuImport.h"

using namespace kftest;
namespace td = oltrex::testdata;

namespace {

const oltrex::LocalTime kNow{2024, 5, 6, 7, 8, 9, 0};

// The first demo vehicle unit (generation 1) with every block's data ending in 76 FF.
td::KeyFile vehicleUnitEndingIn76FF() {
    const td::KeyFile demo = td::demoKeyFiles().front();
    td::WalkError error;
    const auto layout = td::walkKeyFile(demo.bytes, error);
    EXPECT_TRUE(layout.has_value()) << error.reason;
    td::KeyFile file{demo.name, demo.bytes};
    for (const auto& b : layout->blocks) {
        const std::size_t last = b.offset + 2 + b.dataSize - 2;
        file.bytes[last] = 0x76;
        file.bytes[last + 1] = 0xFF;
    }
    return file;
}

class WholeOrKept : public ::testing::TestWithParam<const char*> {
  protected:
    std::string firmware() const { return GetParam(); }
    bool secure() const { return firmware() == "0830"; }
    // What the key hands out for a file: its stored form, or the secure form.
    Bytes asTheKeyGivesIt(const td::KeyFile& f) const {
        if (!secure()) return f.bytes;
        return oltrex::simkey::secureForm(f.name, f.bytes).value_or(Bytes{});
    }
    fs::path kept(const SimulatedRig& rig, const std::string& name) const {
        return rig.containers / oltrex::kKeptFilesFolder / name;
    }
};

}  // namespace

TEST_P(WholeOrKept, BlocksEndingIn76FFAreFiledWholeWithTheirEuFile) {
    const td::KeyFile file = vehicleUnitEndingIn76FF();
    const auto blocks = keyBlocks(file.bytes);
    ASSERT_GE(blocks.size(), 5u);
    for (const auto& b : blocks) ASSERT_EQ(b.data.back(), 0xFF);
    SimulatedRig rig;
    rig.makeKey({file}, "OX", firmware());
    const ConsoleOutcome run = runConsole(rig, downloadOptions());
    EXPECT_EQ(run.status, oltrex::console::kExitAllFiled) << run.output;
    EXPECT_TRUE(rig.keyFileNames().empty());

    const std::string name = expectedContainerName(file.name, file.bytes, kNow, 110);
    const auto read = oltrex::dlc::readContainerFile(rig.containers / name);
    ASSERT_TRUE(read.ok()) << name << ": " << read.message;
    EXPECT_EQ(read.value.blocks.size(), blocks.size());
    EXPECT_TRUE(oltrex::dlc::euDownloadFile(read.value) == euVehicleUnit(blocks));
    EXPECT_TRUE(readBytes(rig.containers / "EU" / expectedEuName(name)) == euVehicleUnit(blocks));
    EXPECT_FALSE(fs::exists(rig.containers / oltrex::kKeptFilesFolder));
}

TEST_P(WholeOrKept, ALastBlockWithoutItsEndMarkerIsFiledInPartAndTheKeyFileKept) {
    const td::KeyFile demo = td::demoKeyFiles().front();
    const td::KeyFile cut{"V_CUT_622B5715", Bytes(demo.bytes.begin(), demo.bytes.end() - 40)};
    const auto blocks = keyBlocks(cut.bytes);  // the complete ones
    SimulatedRig rig;
    rig.makeKey({cut}, "OX", firmware());
    const ConsoleOutcome run = runConsole(rig, downloadOptions());

    EXPECT_EQ(run.status, oltrex::console::kExitFilesKept) << run.output;
    EXPECT_NE(run.output.find("not filed whole: V_CUT_622B5715 (the block 0x76"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("has no end marker"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("the key file is kept as " + kept(rig, cut.name).string()),
              std::string::npos)
        << run.output;
    EXPECT_TRUE(readBytes(kept(rig, cut.name)) == asTheKeyGivesIt(cut))
        << "the kept file is not the key file";
    EXPECT_TRUE(rig.keyFileNames().empty());

    // What could be filed is: the complete blocks, in a container and an EU file.
    const auto containers = rig.filesIn(rig.containers);
    ASSERT_EQ(containers.size(), 1u);
    const auto read = oltrex::dlc::readContainerFile(containers.front());
    ASSERT_TRUE(read.ok()) << read.message;
    EXPECT_TRUE(oltrex::dlc::euDownloadFile(read.value) == euVehicleUnit(blocks));
    const auto eu = rig.filesIn(rig.containers / "EU");
    ASSERT_EQ(eu.size(), 1u);
    EXPECT_TRUE(readBytes(eu.front()) == euVehicleUnit(blocks));
}

TEST_P(WholeOrKept, AFileWithoutTagsIsNotFiledButKeptAndLeavesTheKey) {
    const td::KeyFile noTags{"V_NOTAGS_622B5715", Bytes(64, 0x5A)};
    const td::KeyFile good = td::demoKeyFiles().front();
    SimulatedRig rig;
    rig.makeKey({noTags, good}, "OX", firmware());
    const ConsoleOutcome run = runConsole(rig, downloadOptions());

    EXPECT_EQ(run.status, oltrex::console::kExitFilesKept) << run.output;
    EXPECT_NE(
        run.output.find("not filed whole: V_NOTAGS_622B5715 (the file holds no vehicle-unit block"),
        std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Summary: 1 of 2 listed files filed."), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("the key file is kept as " + kept(rig, noTags.name).string()),
              std::string::npos);
    EXPECT_TRUE(readBytes(kept(rig, noTags.name)) == asTheKeyGivesIt(noTags));
    EXPECT_TRUE(rig.keyFileNames().empty());
    EXPECT_EQ(rig.filesIn(rig.containers).size(), 1u);  // the good file's container only
    EXPECT_EQ(rig.filesIn(rig.work).size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(PlainAndSecureKeys, WholeOrKept, ::testing::Values("0110", "0830"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string("FW") + info.param;
                         });
