// The key tool: the keys it makes, import and export, listing, and that it
// never overwrites what exists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>

#include "KeyRules.h"
#include "KeyTool.h"
#include "TestSupport.h"
#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/testdata/CardBuilder.h"
#include "oltrex/testdata/DemoKey.h"
#include "oltrex/testdata/EuImport.h"
#include "oltrex/testdata/VehicleUnitBuilder.h"

namespace oltrex::keytool {
namespace {

namespace fs = std::filesystem;
using namespace oltrex::testdata;

class KeyToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "keytool-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    int run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return runKeyTool(args, out_, err_);
    }
    fs::path path(const std::string& name) const { return dir_ / name; }
    void writeFile(const fs::path& p, const Bytes& bytes) {
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    }

    fs::path dir_;
    std::ostringstream out_, err_;
};

TEST_F(KeyToolTest, printsItsHelpAndRefusesUnknownCommands) {
    EXPECT_EQ(run({"help"}), 0);
    EXPECT_NE(out_.str().find("Usage: oltrex-keytool"), std::string::npos);
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({"format", path("k").string()}), 2);
    EXPECT_NE(err_.str().find("unknown command"), std::string::npos);
}

TEST_F(KeyToolTest, makesAnEmptyKeyWithTheGivenIdentity) {
    ASSERT_EQ(run({"empty", path("k").string(), "--series", "OC", "--number", "0000000042", "--firmware", "0401"}), 0)
        << err_.str();
    const auto ini = simkey::readKeyIni(path("k"));
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->identity.series, "OC");
    EXPECT_EQ(ini->identity.number, "0000000042");
    EXPECT_EQ(ini->identity.firmware, "0401");
    EXPECT_FALSE(ini->bootloader);
    EXPECT_TRUE(simkey::listKeyFiles(path("k")).empty());
}

TEST_F(KeyToolTest, makesADemoKeyWithTheDemoFilesAndAPlainFirmware) {
    ASSERT_EQ(run({"demo", path("k").string()}), 0) << err_.str();
    const auto ini = simkey::readKeyIni(path("k"));
    ASSERT_TRUE(ini);
    const int firmware = std::stoi(ini->identity.firmware);
    EXPECT_FALSE(needsProtectedRead(ini->identity.series, firmware));
    EXPECT_FALSE(needsSecureMode(ini->identity.series, firmware));
    const auto expected = demoKeyFiles();
    const auto files = simkey::listKeyFiles(path("k"));
    ASSERT_EQ(files.size(), expected.size());
    for (const auto& file : expected) {
        const auto stored = simkey::readKeyFile(path("k"), file.name);
        ASSERT_TRUE(stored) << file.name;
        EXPECT_EQ(*stored, file.bytes) << file.name;
    }
}

TEST_F(KeyToolTest, leavesNoBuildingFolderBehind) {
    ASSERT_EQ(run({"demo", path("k").string()}), 0);
    ASSERT_NE(run({"secure", path("s").string(), "--firmware", "0120"}), 0);
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"k"}));
}

TEST_F(KeyToolTest, makesProtectedAndSecureKeysAndRefusesFirmwareThatIsNeither) {
    ASSERT_EQ(run({"protected", path("p1").string()}), 0) << err_.str();
    EXPECT_EQ(simkey::readKeyIni(path("p1"))->identity.firmware, "0150");
    ASSERT_EQ(run({"protected", path("p2").string(), "--series", "OB", "--firmware", "0102"}), 0) << err_.str();
    EXPECT_EQ(run({"protected", path("p3").string(), "--series", "OB", "--firmware", "0101"}), 2);
    EXPECT_FALSE(fs::exists(path("p3")));

    ASSERT_EQ(run({"secure", path("s1").string()}), 0) << err_.str();
    const auto secure = simkey::readKeyIni(path("s1"))->identity;
    EXPECT_EQ(secure.firmware, "0830");
    EXPECT_TRUE(needsSecureMode(secure.series, 830));
    EXPECT_FALSE(needsProtectedRead(secure.series, 830));
    EXPECT_EQ(run({"secure", path("s2").string(), "--firmware", "0799"}), 2);
    EXPECT_EQ(simkey::listKeyFiles(path("s1")).size(), demoKeyFiles().size());
}

TEST_F(KeyToolTest, writesTheFaultSettingsIntoKeyIni) {
    ASSERT_EQ(run({"demo", path("k").string(), "--fail-read", "A,B", "--fail-keyinfo", "--read-delay", "25"}), 0)
        << err_.str();
    const auto ini = simkey::readKeyIni(path("k"));
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->faults.failRead, (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(ini->faults.failKeyInfo);
    EXPECT_EQ(ini->faults.readDelayMs, 25u);
}

TEST_F(KeyToolTest, neverMakesAKeyOverAnExistingOne) {
    ASSERT_EQ(run({"empty", path("k").string(), "--number", "0000000001"}), 0);
    EXPECT_EQ(run({"demo", path("k").string()}), 1);
    EXPECT_EQ(simkey::readKeyIni(path("k"))->identity.number, "0000000001");
    EXPECT_TRUE(simkey::listKeyFiles(path("k")).empty());
    fs::create_directory(path("e"));
    EXPECT_EQ(run({"empty", path("e").string()}), 0) << err_.str();
    EXPECT_TRUE(simkey::isKeyPlugged(path("e")));
}

TEST_F(KeyToolTest, takesTheDemoSeedAndTime) {
    ASSERT_EQ(run({"demo", path("k").string(), "--seed", "9", "--time", "2023-01-02_03-04-05"}), 0) << err_.str();
    const auto expected = demoKeyFiles(9, 0x63B249A5);
    ASSERT_EQ(simkey::listKeyFiles(path("k")).size(), expected.size());
    for (const auto& file : expected) EXPECT_TRUE(simkey::readKeyFile(path("k"), file.name)) << file.name;
    EXPECT_EQ(run({"demo", path("x").string(), "--time", "2023-13-02_03-04-05"}), 2);
}

TEST_F(KeyToolTest, importsEuFilesAndExportsThemBackUnchanged) {
    VehicleUnitOptions vu;
    vu.generation = Generation::Second;
    const Bytes vuEu = euVehicleUnitFile(buildVehicleUnitContent(vu).blocks);
    CardOptions card;
    card.type = CardType::Control;
    const Bytes cardEu = cardImage(buildCardContent(card).records);
    writeFile(path("unit.DDD"), vuEu);
    writeFile(path("card.TGD"), cardEu);

    ASSERT_EQ(run({"import", path("k").string(), path("unit.DDD").string(), path("card.TGD").string(), "--create"}), 0)
        << err_.str();
    const auto files = simkey::listKeyFiles(path("k"));
    ASSERT_EQ(files.size(), 2u);
    for (const auto& f : files) {
        const fs::path out = path(f.name + ".out");
        ASSERT_EQ(run({"export", path("k").string(), f.name, out.string()}), 0) << err_.str();
        EXPECT_EQ(test::readFileBytes(out), f.name.rfind("C_", 0) == 0 ? cardEu : vuEu) << f.name;
        EXPECT_EQ(run({"export", path("k").string(), f.name, out.string()}), 1) << "an existing file was replaced";
    }
}

TEST_F(KeyToolTest, refusesATruncatedFileByNameAndOffsetAndImportsTheRest) {
    VehicleUnitOptions vu;
    Bytes eu = euVehicleUnitFile(buildVehicleUnitContent(vu).blocks);
    writeFile(path("good.DDD"), eu);
    eu.resize(eu.size() - 3);
    writeFile(path("cut.DDD"), eu);
    ASSERT_EQ(run({"empty", path("k").string()}), 0);
    EXPECT_EQ(run({"import", path("k").string(), path("cut.DDD").string(), path("good.DDD").string()}), 1);
    EXPECT_NE(err_.str().find(path("cut.DDD").string() + ": not imported, offset " + std::to_string(eu.size() + 3 - 128)),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(simkey::listKeyFiles(path("k")).size(), 1u);
}

TEST_F(KeyToolTest, importNeitherReplacesAKeyFileNorImportsIntoAMissingKey) {
    VehicleUnitOptions vu;
    writeFile(path("a.DDD"), euVehicleUnitFile(buildVehicleUnitContent(vu).blocks));
    EXPECT_EQ(run({"import", path("none").string(), path("a.DDD").string()}), 1);
    EXPECT_FALSE(fs::exists(path("none")));
    ASSERT_EQ(run({"import", path("k").string(), path("a.DDD").string(), "--create"}), 0) << err_.str();
    EXPECT_EQ(run({"import", path("k").string(), path("a.DDD").string()}), 1);
    EXPECT_NE(err_.str().find("already holds"), std::string::npos) << err_.str();
    EXPECT_EQ(run({"import", path("k2").string(), path("a.DDD").string(), path("a.DDD").string(), "--create"}), 1);
    EXPECT_EQ(simkey::listKeyFiles(path("k2")).size(), 1u);
}

TEST_F(KeyToolTest, listsTheIdentityAndWhatEachFileHolds) {
    ASSERT_EQ(run({"demo", path("k").string()}), 0);
    ASSERT_EQ(run({"list", path("k").string()}), 0) << err_.str();
    const std::string text = out_.str();
    EXPECT_NE(text.find("\" StickID: OX0012345678 FW-0110\""), std::string::npos) << text;
    EXPECT_NE(text.find("plain read, no secure mode"), std::string::npos) << text;
    EXPECT_NE(text.find("files:       14"), std::string::npos) << text;
    EXPECT_NE(text.find("\"S\" file"), std::string::npos) << text;
    EXPECT_NE(text.find("workshop card, generation 2"), std::string::npos) << text;
    EXPECT_NE(text.find("key log file (left alone)"), std::string::npos) << text;
    EXPECT_NE(text.find("TREP file (left alone)"), std::string::npos) << text;
    EXPECT_EQ(run({"list", path("nokey").string()}), 1);
}

TEST(KeyRules, matchTheDownloadProgramsProtectedReadAndSecureModeRules) {
    EXPECT_TRUE(needsProtectedRead("OB", 102));
    EXPECT_FALSE(needsProtectedRead("OB", 101));
    EXPECT_TRUE(needsProtectedRead("OX", 150));
    EXPECT_FALSE(needsProtectedRead("OX", 117));
    EXPECT_FALSE(needsProtectedRead("OX", 830));
    EXPECT_FALSE(needsProtectedRead("OX", 870));
    EXPECT_TRUE(needsProtectedRead("QQ", 1200));
    EXPECT_TRUE(needsSecureMode("OX", 850));
    EXPECT_FALSE(needsSecureMode("OX", 799));
    EXPECT_TRUE(needsSecureMode("OB", 101));
}

TEST(KeyToolProgram, runsFromTheBuildsBinFolder) {
    const char* bin = std::getenv("OLTREX_BIN");
    if (!bin || !fs::exists(fs::path(bin) / "oltrex-keytool")) GTEST_SKIP() << "oltrex-keytool not built beside the tests";
    const std::string command = "\"" + (fs::path(bin) / "oltrex-keytool").string() + "\" --help > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace oltrex::keytool
