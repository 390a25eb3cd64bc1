// Downloads onto a file system that fills up: the container folder, and
// KeyFetch's temporary folder, each on a small tmpfs mounted by the test in
// its own mount namespace. KeyFetch runs as the program, with its trace on.
// Whatever no longer fits stays on the key; what was filed reads back whole.
#include <gtest/gtest.h>

#include "ProveSupport.h"

namespace prove {
namespace {

// Files still on the key that the download takes (not the key's own).
std::size_t usableLeft(const FilingCheck& check) {
    return static_cast<std::size_t>(
        std::count_if(check.onKey.begin(), check.onKey.end(),
                      [](const std::string& n) { return !keysOwnFile(n); }));
}

class FullFileSystem : public ::testing::Test {
  protected:
    void SetUp() override {
        if (binFolder().empty())
            GTEST_SKIP() << "OLTREX_BIN is not set: the programs are not found";
        files = mixedKeyFiles();
        makeKey(root / "key", files);
        fs::create_directories(root / "tmp");
    }

    TempFolder root;
    std::vector<td::KeyFile> files;
};

TEST_F(FullFileSystem, AContainerFolderThatFillsUpKeepsEveryUnfiledFileOnTheKey) {
    // Room for the small containers and EU files, never for the 86 KB
    // container of the generation-2 workshop card.
    SmallFileSystem containers(root / "containers", 64 * 1024);
    SKIP_UNLESS_MOUNTED(containers);
    const fs::path registry = writeRegistry(root.path(), root / "containers");

    const ProgramRun run =
        runKeyFetch(binFolder() / "KeyFetch", registry, root / "key", root / "tmp", root.path());

    EXPECT_EQ(run.status, 1) << "expected: files left on the key\n" << run.output;
    const FilingCheck check = checkFiling(files, root / "key", root / "containers");
    EXPECT_NOTHING_LOST(check);
    EXPECT_FALSE(check.filed.empty())
        << "nothing fitted at all: the file system is too small for this test";
    EXPECT_FALSE(check.onKey.size() <= 1)
        << "everything fitted: the file system is too large for this test";
    EXPECT_NE(run.output.find("left on the key"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("No space left on device"), std::string::npos) << run.output;
}

TEST_F(FullFileSystem, ATemporaryFolderThatFillsUpLetsNoFileLeaveTheKeyUnfiled) {
    // KeyFetch's private work folder holds the downloaded copies: too small
    // for the larger files.
    SmallFileSystem tmp(root / "tmp", 48 * 1024);
    SKIP_UNLESS_MOUNTED(tmp);
    fs::create_directories(root / "containers");
    const fs::path registry = writeRegistry(root.path(), root / "containers");

    const ProgramRun run =
        runKeyFetch(binFolder() / "KeyFetch", registry, root / "key", root / "tmp", root.path());

    EXPECT_EQ(run.status, 1) << "expected: files left on the key\n" << run.output;
    const FilingCheck check = checkFiling(files, root / "key", root / "containers");
    EXPECT_NOTHING_LOST(check);
    EXPECT_GE(usableLeft(check), 1u) << "the large files cannot have fitted";
    EXPECT_NE(run.output.find("left on the key"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace prove
