// The command-line tool oltrex-dlcreader: exit status, listing, errors and
// the EU file it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "oltrex/platform/Folders.h"
#include "reader_containers.h"

namespace fs = std::filesystem;
using namespace oltrex::testing;

namespace {

class ReaderToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("OLTREX_BIN");
        ASSERT_NE(bin, nullptr) << "$OLTREX_BIN is not set";
        tool_ = fs::path(bin) / "oltrex-dlcreader";
        ASSERT_TRUE(fs::exists(tool_)) << tool_;
        std::error_code ec;
        dir_ = oltrex::createPrivateFolder(oltrex::systemTempFolder(), "oltrex-reader-test-", ec);
        ASSERT_FALSE(ec) << ec.message();
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    // Runs the tool; its exit status, with stdout and stderr kept in out_/err_.
    int run(const std::string& arguments) {
        const std::string command = "'" + tool_.string() + "' " + arguments + " > '" + (dir_ / "out.txt").string() +
                                    "' 2> '" + (dir_ / "err.txt").string() + "'";
        const int status = std::system(command.c_str());
        out_ = text(dir_ / "out.txt");
        err_ = text(dir_ / "err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static std::string text(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path write(const std::string& name, const Bytes& data) {
        const fs::path path = dir_ / name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        return path;
    }
    std::string quoted(const fs::path& path) const { return "'" + path.string() + "'"; }

    fs::path tool_;
    fs::path dir_;
    std::string out_;
    std::string err_;
};

TEST_F(ReaderToolTest, HelpExplainsTheOptions) {
    EXPECT_EQ(run("--help"), 0);
    EXPECT_NE(out_.find("--eu"), std::string::npos) << out_;
    EXPECT_EQ(run(""), 2) << "no container is wrong usage";
    EXPECT_EQ(run("--bogus x.dlc"), 2);
    EXPECT_EQ(run("--eu"), 2);
}

TEST_F(ReaderToolTest, AValidContainerIsListedAndItsEuFileWritten) {
    const Bytes overview = filled(719, 1);
    const Bytes places = filled(40, 2);
    const fs::path dlc = write("vu.dlc", sealContainer(joined({headerRecord(headerBlock(10, 0x622B5715)),
                                                               vehicleUnitBlocks({{0x7601, overview}, {0x7631, places}})})));
    const fs::path eu = dir_ / "vu.DDD";
    ASSERT_EQ(run("--eu " + quoted(eu) + " " + quoted(dlc)), 0) << err_;
    EXPECT_NE(out_.find("valid container"), std::string::npos) << out_;
    EXPECT_NE(out_.find("installation class: 10"), std::string::npos) << out_;
    EXPECT_NE(out_.find("block 0x7631"), std::string::npos) << out_;
    const std::string expected = text(write("expected", joined({Bytes{0x76, 0x01}, overview, Bytes{0x76, 0x31}, places})));
    EXPECT_EQ(text(eu), expected);
}

TEST_F(ReaderToolTest, ACardImageEndingInsideItsLastRecordIsShownWithAWarningAndWrittenAsFiled) {
    Bytes image{0x05, 0x01, 0x00, 0x00, 0x0A};
    const Bytes application = filled(10, 1);
    image.insert(image.end(), application.begin(), application.end());
    const Bytes cut{0x05, 0x04, 0x00, 0x35, 0xD4, 1, 2, 3};  // 13780 announced, 3 follow
    image.insert(image.end(), cut.begin(), cut.end());
    const fs::path dlc = write("card.dlc", sealContainer(joined({headerRecord(headerBlock(5, 1)), image})));
    const fs::path eu = dir_ / "card.DDD";
    ASSERT_EQ(run("--eu " + quoted(eu) + " " + quoted(dlc)), 0) << err_;
    EXPECT_NE(out_.find("card: 23 bytes, 1 records"), std::string::npos) << out_;
    EXPECT_NE(out_.find("warning: card record 0x0504 at image offset 15 claims 13780 data bytes, 3 follow: the "
                        "image ends inside its last record"),
              std::string::npos)
        << out_;
    EXPECT_EQ(text(eu), text(write("expected", image)));
    ASSERT_EQ(run("--quiet " + quoted(dlc)), 0);
    EXPECT_NE(err_.find("warning: card record 0x0504"), std::string::npos) << err_;
}

TEST_F(ReaderToolTest, AnExistingEuFileIsNeverOverwritten) {
    const fs::path dlc = write("vu.dlc", sealContainer(joined({headerRecord(headerBlock(5, 1)),
                                                               vehicleUnitBlocks({{0x7601, filled(10, 1)}})})));
    const fs::path eu = write("taken.DDD", Bytes{'k', 'e', 'e', 'p'});
    EXPECT_EQ(run("--eu " + quoted(eu) + " " + quoted(dlc)), 1);
    EXPECT_NE(err_.find("cannot write"), std::string::npos) << err_;
    EXPECT_EQ(text(eu), "keep");
}

TEST_F(ReaderToolTest, AnInvalidContainerFailsWithTheReasonAndWritesNothing) {
    const fs::path dlc = write("bad.dlc", Bytes{0x00, 0x00, 0x00, 0x05, 0x76, 0x00, 0x00, 0x01, 1, 2, 3});
    const fs::path eu = dir_ / "bad.DDD";
    EXPECT_EQ(run("--eu " + quoted(eu) + " " + quoted(dlc)), 1);
    EXPECT_NE(err_.find("wrong version record"), std::string::npos) << err_;
    EXPECT_FALSE(fs::exists(eu));
    EXPECT_EQ(run(quoted(dir_ / "missing.dlc")), 1);
}

}  // namespace
