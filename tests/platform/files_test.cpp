#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "oltrex/platform/Folders.h"
#include "oltrex/platform/InstanceLock.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/SafeFile.h"

namespace fs = std::filesystem;
using namespace oltrex;

namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code ec;
        dir_ = createPrivateFolder(systemTempFolder(), "oltrex-files-test-", ec);
        ASSERT_FALSE(ec) << ec.message();
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    static std::string content(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir_;
};

TEST_F(FilesTest, PrivateFoldersAreNewAndOnlyForTheirOwner) {
    std::error_code ec;
    fs::path a = createPrivateFolder(dir_, "work-", ec);
    ASSERT_FALSE(ec);
    fs::path b = createPrivateFolder(dir_, "work-", ec);
    ASSERT_FALSE(ec);
    EXPECT_NE(a, b);
    EXPECT_TRUE(isPrivateFolder(a));
    EXPECT_FALSE(isPrivateFolder(systemTempFolder()));
#ifndef _WIN32
    struct stat st {};
    ASSERT_EQ(stat(a.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
#endif
}

TEST_F(FilesTest, APrivateFolderInAMissingParentFailsClearly) {
    std::error_code ec;
    fs::path p = createPrivateFolder(dir_ / "missing", "work-", ec);
    EXPECT_TRUE(p.empty());
    EXPECT_TRUE(ec);
}

TEST_F(FilesTest, ReplaceFileSwapsTheWholeContentAndLeavesNoTemporaryFile) {
    fs::path target = dir_ / "data.bin";
    std::error_code ec;
    ASSERT_TRUE(writeWholeFile(target, Bytes{1, 2, 3}, ec));
    ASSERT_TRUE(replaceFile(target, Bytes{9, 8}, ec)) << ec.message();
    EXPECT_EQ(content(target), std::string("\x09\x08", 2));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FilesTest, AReplacedFileKeepsItsPermissions) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows files take the access list of their folder";
#else
    fs::path target = dir_ / "shared.DDD";
    std::error_code ec;
    ASSERT_TRUE(writeWholeFile(target, Bytes{1}, ec));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::others_read);
    ASSERT_TRUE(replaceFile(target, Bytes{2}, ec)) << ec.message();
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
#endif
}

TEST_F(FilesTest, AFailedReplaceKeepsTheOldFile) {
#ifdef _WIN32
    GTEST_SKIP() << "a folder's POSIX permissions do not stop Windows";
#else
    if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    fs::path target = dir_ / "data.bin";
    std::error_code ec;
    ASSERT_TRUE(writeWholeFile(target, Bytes{1, 2, 3}, ec));
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(replaceFile(target, Bytes{9}, ec));
    EXPECT_TRUE(ec);
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(content(target), std::string("\x01\x02\x03", 3));
#endif
}

TEST_F(FilesTest, CreateNewFileNeverOverwrites) {
    fs::path target = dir_ / "once.bin";
    std::error_code ec;
    const std::uint8_t first[] = {1};
    const std::uint8_t second[] = {2};
    ASSERT_TRUE(createNewFile(target, first, 1, ec));
    EXPECT_FALSE(createNewFile(target, second, 1, ec));
    EXPECT_EQ(content(target), "\x01");
}

TEST_F(FilesTest, ReadWholeFileReportsAMissingFile) {
    Bytes data{7};
    std::error_code ec;
    EXPECT_FALSE(readWholeFile(dir_ / "none", data, ec));
    EXPECT_TRUE(ec);
    EXPECT_TRUE(data.empty());
}

TEST_F(FilesTest, ASecondInstanceLockIsRefusedUntilTheFirstEnds) {
    {
        InstanceLock first("OLTREX-Test", dir_);
        ASSERT_TRUE(first.acquired());
        InstanceLock second("OLTREX-Test", dir_);
        EXPECT_FALSE(second.acquired());
    }
    InstanceLock third("OLTREX-Test", dir_);
    EXPECT_TRUE(third.acquired());
}

TEST(PathText, SplitsLikeTheWindowsRuntime) {
    PathParts p = splitPath("/data/containers/V_AB_2022.dlc");
    EXPECT_EQ(p.folder, "/data/containers/");
    EXPECT_EQ(p.base, "V_AB_2022");
    EXPECT_EQ(p.ext, ".dlc");
    PathParts q = splitPath("noext");
    EXPECT_EQ(q.folder, "");
    EXPECT_EQ(q.base, "noext");
    EXPECT_EQ(q.ext, "");
    PathParts r = splitPath("/a.b/c");
    EXPECT_EQ(r.base, "c");
    EXPECT_EQ(r.ext, "");
}

TEST(PathText, AppendsExactlyOneSeparator) {
    const std::string sep(1, kPathSep);
    EXPECT_EQ(withSeparator(sep + "tmp"), sep + "tmp" + sep);
    EXPECT_EQ(withSeparator(sep + "tmp" + sep), sep + "tmp" + sep);
    EXPECT_EQ(withSeparator(""), "");
    EXPECT_EQ(joinPath(sep + "tmp" + sep, "x"), sep + "tmp" + sep + "x");
    EXPECT_EQ(joinPath(sep + "tmp", sep + "x"), sep + "tmp" + sep + "x");
    EXPECT_EQ(euSubfolder(), "EU" + sep);
}

#ifdef _WIN32
TEST(PathText, WindowsTakesBothSeparatorsAsTheSystemDoes) {
    EXPECT_EQ(withSeparator("C:/data/"), "C:/data/");
    EXPECT_EQ(fileNameOf("C:\\data/EU\\x.DDD"), "x.DDD");
    const PathParts p = splitPath("C:/data\\EU/x.DDD");
    EXPECT_EQ(p.folder, "C:/data\\EU/");
    EXPECT_EQ(p.base, "x");
}
#endif

TEST(PathText, Utf8TextAndPathsConvertBothWaysUnchanged) {
    const std::string text = "Sch\xC3\xB6ne M\xC3\xBCller \xE2\x82\xAC";  // Schöne Müller €
    const fs::path path = pathFromUtf8(text);
    EXPECT_EQ(utf8Of(path), text);
    EXPECT_TRUE(path.u8string() == u8"Sch\u00f6ne M\u00fcller \u20ac");
}

TEST(Folders, ProgramDataFolderFollowsTheEnvironment) {
    const char* old = std::getenv("OLTREX_DATA_DIR");
    std::string saved = old ? old : "";
    setenv("OLTREX_DATA_DIR", "/some/where", 1);
    EXPECT_EQ(programDataFolder(), fs::path("/some/where"));
    if (old) setenv("OLTREX_DATA_DIR", saved.c_str(), 1); else unsetenv("OLTREX_DATA_DIR");
}

}  // namespace
