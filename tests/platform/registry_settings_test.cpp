// The settings as the Windows programs read them: the registry's local
// machine root, read only, through its 32-bit view.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "oltrex/platform/Process.h"
#include "oltrex/platform/Settings.h"

namespace oltrex {
namespace {

// A key of this test run under HKLM\Software, in the view given.
class RegistryKey {
public:
    RegistryKey(const std::wstring& path, REGSAM view) : path_(path), view_(view) {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key_,
                        nullptr);
    }
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), view_, 0);
    }
    bool ok() const { return key_ != nullptr; }
    void setText(const wchar_t* name, const std::wstring& value) {
        RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    void setNumber(const wchar_t* name, DWORD value) {
        RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }

private:
    std::wstring path_;
    REGSAM view_;
    HKEY key_ = nullptr;
};

class RegistrySettingsTest : public ::testing::Test {
protected:
    const std::string path = "Software\\OLTREX-Test-" + std::to_string(currentProcessId());
    const std::wstring widePath = std::wstring(path.begin(), path.end());
    RegistrySettings settings;
};

TEST_F(RegistrySettingsTest, ReadsTextValuesAndTellsAMissingKeyFromAMissingValue) {
    RegistryKey key(widePath, KEY_WOW64_32KEY);
    ASSERT_TRUE(key.ok());
    key.setText(L"MakeEU", L"1");
    key.setText(L"Empty", L"");
    EXPECT_EQ(settings.read(path, "MakeEU").value, "1");
    EXPECT_EQ(settings.read(path, "makeeu").value, "1");  // names ignore case
    const SettingResult empty = settings.read(path, "Empty");
    EXPECT_TRUE(empty.found());
    EXPECT_EQ(empty.value, "");
    EXPECT_EQ(settings.read(path, "NoDelete").status, SettingStatus::NoValue);
    EXPECT_EQ(settings.read(path + "\\Missing", "NoDelete").status, SettingStatus::NoSection);
}

TEST_F(RegistrySettingsTest, TextsComeAsUtf8AndAreCutToTheProgramsBuffer) {
    RegistryKey key(widePath, KEY_WOW64_32KEY);
    ASSERT_TRUE(key.ok());
    key.setText(L"ContainerPath", L"C:\\Tacho\\M\u00fcller & S\u00f6hne\\");
    EXPECT_EQ(settings.read(path, "ContainerPath").value, "C:\\Tacho\\M\xC3\xBCller & S\xC3\xB6hne\\");
    // 258 letters and an umlaut: the umlaut's second byte would be the 260th.
    key.setText(L"Long", std::wstring(258, L'a') + L"\u00e4");
    EXPECT_EQ(settings.read(path, "Long").value, std::string(258, 'a'));
    key.setText(L"Exact", std::wstring(259, L'b') + L"c");
    EXPECT_EQ(settings.read(path, "Exact").value, std::string(259, 'b'));
}

TEST_F(RegistrySettingsTest, OnlyTheThirtyTwoBitViewCounts) {
    RegistryKey native(widePath, KEY_WOW64_64KEY);
    ASSERT_TRUE(native.ok());
    native.setText(L"MakeEU", L"1");
    EXPECT_FALSE(settings.read(path, "MakeEU").found());
}

TEST_F(RegistrySettingsTest, ANumberIsNoTextValue) {
    RegistryKey key(widePath, KEY_WOW64_32KEY);
    ASSERT_TRUE(key.ok());
    key.setNumber(L"NoDelete", 1);
    EXPECT_EQ(settings.read(path, "NoDelete").status, SettingStatus::NoValue);
}

TEST(MachineSettings, AreTheRegistry) {
    EXPECT_NE(dynamic_cast<const RegistrySettings*>(&machineSettings()), nullptr);
}

}  // namespace
}  // namespace oltrex
