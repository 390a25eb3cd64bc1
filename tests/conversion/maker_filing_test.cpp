// Where the container maker files its product, under which name, and what it
// leaves behind in the work folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifdef _WIN32
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on
#endif

#include <mutex>

#include "maker_support.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Trace.h"

namespace oltrex::testing {
namespace {

Bytes vehicleFile(const std::string& registration = "B AB 123") {
    Bytes file;
    putBlock(file, 0x7601, overviewGen1(registration));
    putBlock(file, 0x7602, filler(64, 1));
    return file;
}

class MakerFiling : public MakerTest {};

TEST_F(MakerFiling, ContainerIsFiledInTheContainerFolderAndTheLocalFileIsGone) {
    ASSERT_EQ(run("V_B AB 123_622B5715", vehicleFile(), "V_B AB 123_622B5715"), 0);
    EXPECT_EQ(path, (folders.containers / "V_B_AB_123_2022-03-11_14-05-09.dlc").string());
    EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(fs::exists(folders.work / "V_B AB 123_622B5715"));
    EXPECT_EQ(lastFolder, withSeparator(folders.containerSetting()));
}

TEST_F(MakerFiling, SpanishStyleNamesWithNationAndShortTime) {
    settings.set(kKeySettingsPath, "Language", "ES");
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), 0);
    EXPECT_EQ(filedName(), "V_ABC_D_20220311_1405.dlc");
}

TEST_F(MakerFiling, ATakenNameIsNumbered) {
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), 0);
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), 0);
    EXPECT_EQ(filedName(), "V_ABC_2022-03-11_14-05-09[1].dlc");
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), 0);
    EXPECT_EQ(filedName(), "V_ABC_2022-03-11_14-05-09[2].dlc");
    EXPECT_EQ(filesIn(folders.containers).size(), 3u);  // "EU" is a folder
}

TEST_F(MakerFiling, EuFileGoesIntoTheEuFolderAndIsNumberedOnTheSecondRun) {
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715", 1), 0);
    EXPECT_EQ(path, (folders.containers / "EU" / "M_ABC_2022-03-11_14-05-09.DDD").string());
    EXPECT_EQ(lastFolder, withSeparator(folders.containerSetting()) + euSubfolder());
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715", 1), 0);
    EXPECT_EQ(filedName(), "M_ABC_2022-03-11_14-05-09[1].DDD");
}

TEST_F(MakerFiling, EnglishCardContainersCountUp) {
    settings.set(kKeySettingsPath, "Language", "EN");
    Bytes image;
    putRecord(image, 0x0501, 0, Bytes{0x04});
    ASSERT_EQ(run("C_1_623B1A2C", keyCard(image), "C_1_623B1A2C"), 0);
    EXPECT_EQ(filedName(), "cd000001.crd");
    ASSERT_EQ(run("C_1_623B1A2C", keyCard(image), "C_1_623B1A2C"), 0);
    EXPECT_EQ(filedName(), "cd000002.crd");
}

TEST_F(MakerFiling, FileWithoutNameIsFiledUnderItsShortName) {
    Bytes file;
    putBlock(file, 0x7602, filler(64, 1));
    putBlock(file, 0x7613, filler(8, 2));
    ASSERT_EQ(run("X_ABC_622B5715", file, "S_ABC_622B5715"), 0);
    EXPECT_EQ(path, (folders.containers / "S_ABC_622B5715.dlc").string());
    ASSERT_TRUE(fs::exists(path));
    EXPECT_TRUE(openContainer(readFile(path)).has_value());
    // Taken: numbered like any other name.
    ASSERT_EQ(run("X_ABC_622B5715", file, "S_ABC_622B5715"), 0);
    EXPECT_EQ(filedName(), "S_ABC_622B5715[1].dlc");
}

TEST_F(MakerFiling, CardWithoutNameIsFiledUnderItsShortNameInBothModes) {
    Bytes image;
    putRecord(image, 0x0002, 0, filler(25, 1));
    ASSERT_EQ(run("C_123_623B1A2C.2", keyCard(image), "C_123_623B1A2C.2"), 0);
    EXPECT_EQ(path, (folders.containers / "C_123_623B1A2C.2").string());
    ASSERT_EQ(run("C_123_623B1A2C.2", keyCard(image), "C_123_623B1A2C.2", 1), 0);
    EXPECT_EQ(path, (folders.containers / "EU" / "C_123_623B1A2C.DDD").string());
    EXPECT_EQ(readFile(path), image);
}

TEST_F(MakerFiling, DotsOnlyLocalNameStillGivesANameInsideTheFolder) {
    ASSERT_EQ(run("..x", namelessCard(), ".."), 0);
    EXPECT_EQ(fs::path(path).parent_path(), folders.containers);
    EXPECT_TRUE(fs::exists(path));
}

TEST_F(MakerFiling, NoWorkingFilesAreLeftInTheWorkFolder) {
    writeFile(folders.work / "K_sd_2024-01-01_00-00-00.dlt", "x");
    writeFile(folders.work / "K_sd_2024-01-01_00-00-00.dlc", "x");
    writeFile(folders.work / "old.dlc", "x");
    writeFile(folders.work / "V_OTHER_622B5715.tmpdlt", "x");
    writeFile(folders.work / "V_OTHER_622B57152", "x");
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), 0);
    EXPECT_EQ(filesIn(folders.work), (std::vector<std::string>{"V_OTHER_622B5715.tmpdlt", "V_OTHER_622B57152"}));
}

TEST_F(MakerFiling, CleanUpSparesTheContainerWhenTheContainerFolderIsTheWorkFolder) {
    settings.set(kTachographSettingsPath, "ContainerPath", folders.work.string());
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), 0);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(filesIn(folders.work), (std::vector<std::string>{"V_ABC_2022-03-11_14-05-09.dlc"}));
}

TEST_F(MakerFiling, CleanUpNeverTouchesAFolderOthersCanEnter) {
#ifdef _WIN32
    // Everyone may read and enter (the system keeps full control).
    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;FA;;;SY)(A;OICI;GRGX;;;WD)",
                                                                     SDDL_REVISION_1, &open, nullptr));
    const BOOL set = SetFileSecurityW(folders.work.c_str(), DACL_SECURITY_INFORMATION, open);
    LocalFree(open);
    ASSERT_TRUE(set);
#else
    fs::permissions(folders.work, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::replace);
#endif
    writeFile(folders.work / "someone-elses.dlc", "x");
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), 0);
    EXPECT_TRUE(fs::exists(folders.work / "someone-elses.dlc"));
}

TEST_F(MakerFiling, CleanUpNeverRunsInTheSystemTemporaryFolder) {
    // A stand-in system temporary folder that is private to us, so only the
    // "shared folder" rule can protect its files.
    const fs::path shared = folders.base / "tmp";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::owner_all, fs::perm_options::replace);
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string saved = oldTmp ? oldTmp : "";
    setenv("TMPDIR", shared.c_str(), 1);
    writeFile(shared / "another-program.dlc", "x");
    writeFile(shared / "V_ABC_622B5715", vehicleFile("ABC"));
    auto context = makeContext();
    context->setWorkFolder(shared);
    std::string local = (shared / "V_ABC_622B5715").string();
    const int result = buildContainer(*context, local, "V_ABC_622B5715", 120);
    if (oldTmp) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
    ASSERT_EQ(result, 0);
    EXPECT_TRUE(fs::exists(shared / "another-program.dlc"));
}

TEST_F(MakerFiling, MissingWorkFolderFailsWithMinus13AndKeepsTheLocalFile) {
    const fs::path local = folders.work / "V_ABC_622B5715";
    writeFile(local, vehicleFile("ABC"));
    auto context = makeContext();
    context->setWorkFolder(folders.base / "gone");
    path = local.string();
    EXPECT_EQ(buildContainer(*context, path, "V_ABC_622B5715", 120), -13);
    EXPECT_TRUE(fs::exists(local));
    context->setWorkFolder({});
    EXPECT_EQ(buildContainer(*context, path, "V_ABC_622B5715", 120), -13);
    EXPECT_EQ(path, local.string());
}

TEST_F(MakerFiling, MissingLocalFileFailsWithMinus1) {
    auto context = makeContext();
    path = (folders.work / "not-there").string();
    EXPECT_EQ(buildContainer(*context, path, "V_ABC", 120), -1);
    EXPECT_TRUE(filesIn(folders.containers).empty());
}

TEST_F(MakerFiling, ContainerFolderThatCannotTakeFilesFailsWithMinus13AndLeavesNothing) {
    settings.set(kTachographSettingsPath, "ContainerPath", (folders.containers / "missing").string());
    EXPECT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), -13);
    EXPECT_EQ(path, (folders.work / "V_ABC_622B5715").string());
    EXPECT_TRUE(fs::exists(path));  // kept for the next attempt
    EXPECT_TRUE(filesIn(folders.containers).empty());
    EXPECT_TRUE(filesIn(folders.containers / "EU").empty());

    writeFile(folders.base / "plain-file", "x");
    settings.set(kTachographSettingsPath, "ContainerPath", (folders.base / "plain-file").string());
    EXPECT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), -13);
}

TEST_F(MakerFiling, FiledFileIsCompleteWithNoPartFilesBesideIt) {
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), 0);
    EXPECT_EQ(filesIn(folders.containers), (std::vector<std::string>{"V_ABC_2022-03-11_14-05-09.dlc"}));
    EXPECT_TRUE(openContainer(readFile(path)).has_value());
}

TEST_F(MakerFiling, AnExistingFileIsNeverReplaced) {
    const fs::path existing = folders.containers / "V_ABC_2022-03-11_14-05-09.dlc";
    writeFile(existing, "earlier container");
    fs::create_directory(folders.containers / "V_ABC_2022-03-11_14-05-09[1].dlc");
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), 0);
    EXPECT_EQ(filedName(), "V_ABC_2022-03-11_14-05-09[2].dlc");
    EXPECT_EQ(readFile(existing), Bytes({'e', 'a', 'r', 'l', 'i', 'e', 'r', ' ', 'c', 'o', 'n', 't', 'a', 'i', 'n',
                                         'e', 'r'}));
}

TEST_F(MakerFiling, ContainerFolderIsReadAtEveryRun) {
    auto context = makeContext();
    context->folder = "BEH";
    // A key without the value empties the folder.
    MemorySettings noValue;
    noValue.addKey(kTachographSettingsPath);
    ContextOptions options;
    options.settings = &noValue;
    options.clock = &clock;
    options.cipherTable = &table;
    options.workFolder = folders.base / "gone";
    ConversionContext emptied(options);
    emptied.folder = "old";
    std::string local = "x";
    EXPECT_EQ(buildContainer(emptied, local, "V", 120), -13);
    EXPECT_EQ(emptied.folder, "");
    // No key at all leaves it as it was.
    MemorySettings none;
    options.settings = &none;
    ConversionContext kept(options);
    kept.folder = "old";
    EXPECT_EQ(buildContainer(kept, local, "V", 120), -13);
    EXPECT_EQ(kept.folder, "old");
}

TEST_F(MakerFiling, TraceNamesTheWorkingAndTheFiledFile) {
    std::vector<std::string> lines;
    setTraceSink([&lines](std::string_view text) { lines.emplace_back(text); });
    const bool wasEnabled = traceEnabled();
    setTraceEnabled(true);
    const int result = run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715");
    setTraceEnabled(wasEnabled);
    setTraceSink({});
    ASSERT_EQ(result, 0);
    const std::string working = (folders.work / "V_ABC_2022-03-11_14-05-09.dlc").string();
    const std::vector<std::string> expected{"Filename:", working, "\r\n", "Filename:", path, "\r\n"};
    auto at = std::search(lines.begin(), lines.end(), expected.begin(), expected.end());
    EXPECT_NE(at, lines.end());
}

TEST_F(MakerFiling, FiledContainerIsReadableByOthersLikeAnyNewFile) {
    ASSERT_EQ(run("V_ABC_622B5715", vehicleFile("ABC"), "V_ABC_622B5715"), 0);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

}  // namespace
}  // namespace oltrex::testing
