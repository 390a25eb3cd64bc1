// The Windows folders and the named mutex.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>

#include "oltrex/platform/Folders.h"
#include "oltrex/platform/InstanceLock.h"
#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Process.h"

namespace fs = std::filesystem;

namespace oltrex {
namespace {

TEST(WindowsFolders, TheTemporaryFolderIsTheSystems) {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(systemTempFolder(), fs::path(std::wstring(buffer, length)));
}

TEST(WindowsFolders, ProgramDataIsTheCommonApplicationDataFolder) {
    const auto saved = environmentValue("OLTREX_DATA_DIR");
    setEnvironmentValue("OLTREX_DATA_DIR", std::nullopt);
    wchar_t common[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)));
    EXPECT_EQ(programDataFolder(), fs::path(common) / L"OLTREX");
    setEnvironmentValue("OLTREX_DATA_DIR", saved);
}

TEST(WindowsFolders, TheWorkFolderIsNewPrivateAndInTheTemporaryFolder) {
    std::error_code ec;
    const fs::path a = createWorkFolder(ec);
    ASSERT_FALSE(ec) << ec.message();
    const fs::path b = createWorkFolder(ec);
    ASSERT_FALSE(ec) << ec.message();
    EXPECT_NE(a, b);
    EXPECT_EQ(a.parent_path(), systemTempFolder().parent_path());  // GetTempPath ends in "\\"
    EXPECT_TRUE(isPrivateFolder(a));
    fs::remove_all(a);
    fs::remove_all(b);
}

TEST(WindowsFolders, ProgramFolderHoldsThisProgram) {
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    EXPECT_EQ(programFolder(), fs::path(self).parent_path());
}

TEST(WindowsFolders, FolderNamesWithUmlautsSurviveTheRoundTrip) {
    std::error_code ec;
    const fs::path parent = createPrivateFolder(systemTempFolder(), "oltrex-umlaut-", ec);
    ASSERT_FALSE(ec);
    const std::string name = "M\xC3\xBCller \xC3\x84rger";  // Müller Ärger
    const fs::path folder = pathFromUtf8(utf8Of(parent) + "\\" + name);
    ASSERT_TRUE(fs::create_directory(folder));
    EXPECT_EQ(folder.filename().wstring(), L"M\u00fcller \u00c4rger");
    EXPECT_EQ(utf8Of(fs::directory_iterator(parent)->path().filename()), name);
    fs::remove_all(parent);
}

TEST(NamedMutex, OneHolderAtATimeAndFreeAgainWhenReleased) {
    const std::string name = "OLTREX-Test-" + std::to_string(currentProcessId());
    {
        InstanceLock first(name);
        ASSERT_TRUE(first.acquired());
        InstanceLock second(name);
        EXPECT_FALSE(second.acquired());
        // The mutex is a system object of that name, as other programs see it.
        HANDLE other = OpenMutexW(SYNCHRONIZE, FALSE, std::wstring(name.begin(), name.end()).c_str());
        EXPECT_NE(other, nullptr);
        if (other) CloseHandle(other);
    }
    InstanceLock again(name);
    EXPECT_TRUE(again.acquired());
}

}  // namespace
}  // namespace oltrex
