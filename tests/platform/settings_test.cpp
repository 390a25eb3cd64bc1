#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "oltrex/platform/Folders.h"
#include "oltrex/platform/Settings.h"

namespace fs = std::filesystem;
using namespace oltrex;

namespace {

class IniSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code ec;
        dir_ = createPrivateFolder(systemTempFolder(), "oltrex-settings-test-", ec);
        ASSERT_FALSE(ec) << ec.message();
        file_ = dir_ / "registry.ini";
    }
    void TearDown() override { fs::remove_all(dir_); }
    void write(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }

    fs::path dir_;
    fs::path file_;
};

TEST_F(IniSettingsTest, MissingFileSectionAndValueAreDistinguishableFromAnEmptyValue) {
    IniSettings settings(file_);
    EXPECT_EQ(settings.read("Software\\OLTREX\\OLTREX-KEY", "MakeEU").status, SettingStatus::NoFile);

    write("[Software\\OLTREX\\Tachograph]\r\nInstTyp=BEH\r\n[Software\\OLTREX\\OLTREX-KEY]\r\nMakeEU=\r\n");
    EXPECT_EQ(settings.read("Software\\OLTREX\\Other", "MakeEU").status, SettingStatus::NoSection);
    EXPECT_EQ(settings.read("Software\\OLTREX\\OLTREX-KEY", "NoDelete").status, SettingStatus::NoValue);
    auto empty = settings.read("Software\\OLTREX\\OLTREX-KEY", "MakeEU");
    EXPECT_EQ(empty.status, SettingStatus::Ok);
    EXPECT_EQ(empty.value, "");
    EXPECT_EQ(settings.read("Software\\OLTREX\\Tachograph", "InstTyp").value, "BEH");
}

TEST_F(IniSettingsTest, KeyPathsAndNamesIgnoreCaseButValuesKeepTrailingBlanks) {
    write("[software\\oltrex\\tachograph]\nInstTyp=BEH \nContainerPath = /data/containers\n");
    IniSettings settings(file_);
    EXPECT_EQ(settings.read("Software\\OLTREX\\Tachograph", "insttyp").value, "BEH ");
    EXPECT_EQ(settings.read("Software\\OLTREX\\Tachograph", "ContainerPath").value, "/data/containers");
}

TEST_F(IniSettingsTest, ValuesAreCutToTheProgramsBufferSize) {
    write("[K]\nV=" + std::string(400, 'x') + "\n");
    IniSettings settings(file_);
    EXPECT_EQ(settings.read("K", "V").value.size(), kMaxSettingValue);
}

TEST_F(IniSettingsTest, TheFileIsReadAgainAtEveryCall) {
    IniSettings settings(file_);
    write("[K]\nV=1\n");
    EXPECT_EQ(settings.read("K", "V").value, "1");
    write("[K]\nV=2\n");
    EXPECT_EQ(settings.read("K", "V").value, "2");
}

TEST(MemorySettings, ReportsMissingKeysAndValuesLikeTheIniFile) {
    MemorySettings settings;
    EXPECT_EQ(settings.read("K", "V").status, SettingStatus::NoSection);
    settings.addKey("K");
    EXPECT_EQ(settings.read("K", "V").status, SettingStatus::NoValue);
    settings.set("K", "V", "x");
    EXPECT_EQ(settings.read("k", "v").value, "x");
}

}  // namespace
