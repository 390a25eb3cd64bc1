// Downloads into folders that cannot be written: the container folder, its
// EU subfolder, and the temporary folder in which KeyFetch makes its private
// work folder. Root writes through permission bits, so the folders are made
// read-only by mounting them so (a tmpfs in the test's own mount namespace);
// without root they are made read-only by their mode instead.
#include <gtest/gtest.h>
#include <unistd.h>

#include "ProveSupport.h"

namespace prove {
namespace {

// A folder nobody can write to: a read-only tmpfs for root, mode 0500 else.
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(const fs::path& at) : at_(at) {
        if (::geteuid() != 0) {
            fs::create_directories(at_);
            fs::permissions(at_, fs::perms::owner_read | fs::perms::owner_exec,
                            fs::perm_options::replace);
            usable_ = true;
            return;
        }
        mount_ = std::make_unique<SmallFileSystem>(at_, 64 * 1024, true);
        usable_ = mount_->mounted();
    }
    ~ReadOnlyFolder() {
        std::error_code ec;
        if (!mount_) fs::permissions(at_, fs::perms::owner_all, fs::perm_options::replace, ec);
    }
    bool usable() const { return usable_; }
    std::string why() const { return mount_ ? mount_->error() : std::string(); }

  private:
    fs::path at_;
    std::unique_ptr<SmallFileSystem> mount_;
    bool usable_ = false;
};

#define SKIP_UNLESS_READ_ONLY(folder)                                                       \
    if (!(folder).usable())                                                                 \
    GTEST_SKIP() << "running as root, a folder can be made unwritable only by mounting it " \
                    "read-only, which is not possible here ("                               \
                 << (folder).why() << ")"

class UnwritableFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        if (binFolder().empty())
            GTEST_SKIP() << "OLTREX_BIN is not set: the programs are not found";
        files = mixedKeyFiles();
        makeKey(root / "key", files);
        fs::create_directories(root / "tmp");
    }

    std::vector<std::string> usableOnKey() const {
        std::vector<std::string> names;
        for (const auto& n : keyFileNames(root / "key"))
            if (!keysOwnFile(n)) names.push_back(n);
        return names;
    }

    TempFolder root;
    std::vector<td::KeyFile> files;
};

TEST_F(UnwritableFolders, AnUnwritableContainerFolderLetsNoFileLeaveTheKey) {
    ReadOnlyFolder containers(root / "containers");
    SKIP_UNLESS_READ_ONLY(containers);
    const fs::path registry = writeRegistry(root.path(), root / "containers");

    const ProgramRun run =
        runKeyFetch(binFolder() / "KeyFetch", registry, root / "key", root / "tmp", root.path());

    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_EQ(usableOnKey().size(), 4u) << "a file left the key: " << run.output;
    EXPECT_TRUE(filesIn(root / "containers").empty());
    EXPECT_NE(run.output.find("left on the key"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("container not made"), std::string::npos) << run.output;
}

TEST_F(UnwritableFolders, AnUnwritableEuFolderStillFilesEveryContainerBeforeTheKeyLetsGo) {
    fs::create_directories(root / "containers");
    ReadOnlyFolder eu(root / "containers" / "EU");
    SKIP_UNLESS_READ_ONLY(eu);
    const fs::path registry = writeRegistry(root.path(), root / "containers");

    const ProgramRun run =
        runKeyFetch(binFolder() / "KeyFetch", registry, root / "key", root / "tmp", root.path());

    EXPECT_LT(run.status, 128) << "KeyFetch died: " << run.output;
    const FilingCheck check = checkFiling(files, root / "key", root / "containers");
    EXPECT_NOTHING_LOST(check);
    EXPECT_TRUE(filesIn(root / "containers" / "EU").empty());
}

TEST_F(UnwritableFolders, AnUnwritableTemporaryFolderStopsKeyFetchBeforeItReadsTheKey) {
    fs::create_directories(root / "containers");
    ReadOnlyFolder tmp(root / "tmp");
    SKIP_UNLESS_READ_ONLY(tmp);
    const fs::path registry = writeRegistry(root.path(), root / "containers");

    const ProgramRun run =
        runKeyFetch(binFolder() / "KeyFetch", registry, root / "key", root / "tmp", root.path());

    EXPECT_EQ(run.status, 2) << "expected: no private work folder\n" << run.output;
    EXPECT_EQ(usableOnKey().size(), 4u);
    EXPECT_TRUE(filesIn(root / "containers").empty());
    EXPECT_NE(run.output.find("work folder"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace prove
