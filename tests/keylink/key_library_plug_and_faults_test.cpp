// Plugging, unplugging and exchanging keys by moving folders; the fault
// settings of key.ini; the text buffers' sizes; the boot-loader state.
#include <chrono>
#include <cstring>
#include <fstream>

#include "KeyTestSupport.h"
#include "oltrex/simkey/KeyFolder.h"

namespace {

using namespace keytest;
namespace simkey = oltrex::simkey;

class KeyLibraryPlugging : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"OLTREX_FTDI_PORT", "OLTREX_BOOTSIM", "OLTREX_BOOTSIM_ARGS",
                                 "OLTREX_BOOTSIM_AUTOSTART"})
            unsetEnv(name);
        slot_ = temp_ / "adapter";
        makeKey(slot_, {"OX", "0012345678", "0120"});
        setEnv("OLTREX_KEY", slot_);
        KL_EndSecureMode();
    }
    void TearDown() override {
        KL_EndSecureMode();
        for (const char* name :
             {"OLTREX_KEY", "OLTREX_FTDI_PORT", "OLTREX_BOOTSIM", "OLTREX_BOOTSIM_ARGS"})
            unsetEnv(name);
    }

    static void makeKey(const fs::path& folder, const simkey::KeyIdentity& id) {
        std::string error;
        ASSERT_TRUE(simkey::createKey(folder, id, &error)) << error;
        ASSERT_TRUE(simkey::writeKeyFile(folder, "V_A_00000001", block(0x7601, countingBytes(8, 1)),
                                         &error))
            << error;
        ASSERT_TRUE(simkey::writeKeyFile(folder, "V_B_00000002", block(0x7602, countingBytes(8, 2)),
                                         &error))
            << error;
    }

    int readTo(const std::string& remote, const std::string& localName) {
        return KL_ReadFile(remote.c_str(), libraryPath(temp_ / localName).c_str());
    }

    TempFolder temp_;
    fs::path slot_;
};

TEST_F(KeyLibraryPlugging, MovingTheKeyFolderAwayMakesTheNextKeyInfoFail) {
    ASSERT_EQ(keyInfo(), " StickID: OX0012345678 FW-0120");
    fs::rename(slot_, temp_ / "pocket");
    char text[128] = {};
    EXPECT_NE(KL_GetKeyInfo(text, sizeof text), 0);
    EXPECT_STREQ(text, "");
    Directory dir;
    EXPECT_NE(dir.read(), 0);
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_NE(readTo("V_A_00000001", "a"), 0);
}

TEST_F(KeyLibraryPlugging, AnotherKeyInThePlaceChangesTheText) {
    ASSERT_EQ(keyInfo(), " StickID: OX0012345678 FW-0120");
    fs::rename(slot_, temp_ / "first");
    makeKey(temp_ / "second", {"OE", "9876543210", "0603"});
    fs::rename(temp_ / "second", slot_);
    EXPECT_EQ(keyInfo(), " StickID: OE9876543210 FW-0603");
    fs::rename(slot_, temp_ / "second");
    fs::rename(temp_ / "first", slot_);
    EXPECT_EQ(keyInfo(), " StickID: OX0012345678 FW-0120");
}

TEST_F(KeyLibraryPlugging, AFolderWithoutKeyIniIsNoKey) {
    fs::remove(slot_ / "key.ini");
    EXPECT_EQ(keyInfo(), "<failed>");
    unsetEnv("OLTREX_KEY");
    EXPECT_EQ(keyInfo(), "<failed>");
}

TEST_F(KeyLibraryPlugging, AKeyIniWithABrokenIdentityGivesNoKeyInfo) {
    std::ofstream(slot_ / "key.ini") << "[key]\nseries=OX\nnumber=12345\nfirmware=0120\n";
    EXPECT_EQ(keyInfo(), "<failed>");
}

TEST_F(KeyLibraryPlugging, UnpluggingEndsSecureMode) {
    ASSERT_EQ(KL_BeginSecureMode(), 0);
    fs::rename(slot_, temp_ / "pocket");
    EXPECT_EQ(keyInfo(), "<failed>");
    fs::rename(temp_ / "pocket", slot_);
    ASSERT_EQ(readTo("V_A_00000001", "a"), 0);
    EXPECT_EQ(readBytes(temp_ / "a"), block(0x7601, countingBytes(8, 1)));
}

TEST_F(KeyLibraryPlugging, KeyInfoIsCutToTheCallersBuffer) {
    char text[40];
    std::memset(text, 'Z', sizeof text);
    std::memset(text, 0, 8);
    ASSERT_EQ(KL_GetKeyInfo(text, 8), 0);
    EXPECT_STREQ(text, " StickI");
    EXPECT_EQ(text[8], 'Z') << "wrote past the buffer";

    char one[2] = {0, 'Z'};
    ASSERT_EQ(KL_GetKeyInfo(one, 1), 0);
    EXPECT_EQ(one[0], '\0');
    EXPECT_EQ(one[1], 'Z');

    EXPECT_EQ(keyInfo(32), " StickID: OX0012345678 FW-0120");
    EXPECT_EQ(keyInfo(500), " StickID: OX0012345678 FW-0120");
    EXPECT_NE(KL_GetKeyInfo(text, 0), 0);
    EXPECT_NE(KL_GetKeyInfo(nullptr, 32), 0);
}

TEST_F(KeyLibraryPlugging, SerialNumberRecordHasTheLastEightDigitsIn28Characters) {
    char record[32];
    std::memset(record, 'Z', sizeof record);
    ASSERT_EQ(_getSerialNumber(record), 0);
    std::string text(record);
    EXPECT_EQ(text, " StickID: OX12345678 FW-0120");
    EXPECT_EQ(text.size(), 28u);
}

TEST_F(KeyLibraryPlugging, FailReadFailsOnlyTheNamedFiles) {
    simkey::KeyFaults faults;
    faults.failRead = {"V_B_00000002", "V_X"};
    ASSERT_TRUE(simkey::setFaults(slot_, faults));
    EXPECT_EQ(readTo("V_A_00000001", "a"), 0);
    EXPECT_NE(readTo("V_B_00000002", "b"), 0);
    EXPECT_NE(readTo("V_B_00000002\\5E07C9A2", "b"), 0);
    EXPECT_FALSE(fs::exists(temp_ / "b"));
    EXPECT_EQ(keyInfo(), " StickID: OX0012345678 FW-0120");
}

TEST_F(KeyLibraryPlugging, FailKeyInfoFailsKeyInfoAndSerialNumber) {
    simkey::KeyFaults faults;
    faults.failKeyInfo = true;
    ASSERT_TRUE(simkey::setFaults(slot_, faults));
    EXPECT_EQ(keyInfo(), "<failed>");
    char record[32] = {};
    EXPECT_NE(_getSerialNumber(record), 0);
    EXPECT_STREQ(record, "");
    ASSERT_TRUE(simkey::setFaults(slot_, {}));
    EXPECT_EQ(keyInfo(), " StickID: OX0012345678 FW-0120");
}

TEST_F(KeyLibraryPlugging, ReadDelayHoldsEveryReadBack) {
    simkey::KeyFaults faults;
    faults.readDelayMs = 60;
    ASSERT_TRUE(simkey::setFaults(slot_, faults));
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(readTo("V_A_00000001", "a"), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
}

TEST_F(KeyLibraryPlugging, FirmwareUpdateModeSilencesKeyInfoUntilTheBootLoaderReboots) {
    ASSERT_EQ(KL_FirmwareUpdateMode(), 0);
    EXPECT_TRUE(simkey::readKeyIni(slot_)->bootloader);
    EXPECT_EQ(keyInfo(), "<failed>");
    char record[32] = {};
    EXPECT_NE(_getSerialNumber(record), 0);
    ASSERT_TRUE(simkey::setBootloader(slot_, false));  // what the boot loader does after its reboot
    EXPECT_EQ(keyInfo(), " StickID: OX0012345678 FW-0120");
    ASSERT_EQ(_initSwDownLoad(), 0);
    EXPECT_TRUE(simkey::readKeyIni(slot_)->bootloader);
}

TEST_F(KeyLibraryPlugging, FirmwareUpdateModeWithoutAKeyFails) {
    fs::rename(slot_, temp_ / "pocket");
    EXPECT_NE(KL_FirmwareUpdateMode(), 0);
    EXPECT_FALSE(simkey::readKeyIni(temp_ / "pocket")->bootloader);
}

#ifdef _WIN32
// On Windows the boot loader's line is a COM port; the key waits for it to
// open (at most 3 s) before it reports the switch.
TEST_F(KeyLibraryPlugging, FirmwareUpdateModeFailsWhenItsComPortNeverOpens) {
    setEnv("OLTREX_FTDI_PORT", std::string("COM97"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(KL_FirmwareUpdateMode(), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2900));
    EXPECT_TRUE(simkey::readKeyIni(slot_)->bootloader);
}
#else
// A stand-in simulator: records its arguments and publishes the link.
class BootSimulatorStart : public KeyLibraryPlugging {
  protected:
    void writeScript(const std::string& body) {
        script_ = temp_ / "fake-bootsim";
        std::ofstream(script_) << "#!/bin/sh\n" << body;
        fs::permissions(script_, fs::perms::owner_all);
        setEnv("OLTREX_BOOTSIM", script_);
        setEnv("OLTREX_FTDI_PORT", temp_ / "ttyKey");
    }
    std::string recordedArgs() {
        std::ifstream in(temp_ / "args");
        std::string line;
        std::getline(in, line);
        return line;
    }
    fs::path script_;
};

TEST_F(BootSimulatorStart, StartsTheSimulatorWithKeyAndLinkAndWaitsForTheLink) {
    writeScript("echo \"$@\" > \"" + (temp_ / "args").string() + "\"\nln -s /dev/null \"$4\"\n");
    setEnv("OLTREX_BOOTSIM_ARGS", std::string("--pace  --drop 3"));
    ASSERT_EQ(KL_FirmwareUpdateMode(), 0);
    EXPECT_TRUE(fs::is_symlink(temp_ / "ttyKey"));
    EXPECT_EQ(recordedArgs(), "--key " + slot_.string() + " --link " + (temp_ / "ttyKey").string() +
                                  " --pace --drop 3");
    EXPECT_TRUE(simkey::readKeyIni(slot_)->bootloader);
}

TEST_F(BootSimulatorStart, AutostartZeroLeavesTheSimulatorAlone) {
    writeScript("echo \"$@\" > \"" + (temp_ / "args").string() + "\"\n");
    setEnv("OLTREX_BOOTSIM_AUTOSTART", std::string("0"));
    ASSERT_EQ(KL_FirmwareUpdateMode(), 0);
    unsetEnv("OLTREX_BOOTSIM_AUTOSTART");
    EXPECT_FALSE(fs::exists(temp_ / "args"));
    EXPECT_TRUE(simkey::readKeyIni(slot_)->bootloader);
}

TEST_F(BootSimulatorStart, AMissingSimulatorStillSwitchesTheKey) {
    setEnv("OLTREX_FTDI_PORT", temp_ / "ttyKey");
    setEnv("OLTREX_BOOTSIM", temp_ / "no-such-simulator");
    EXPECT_EQ(KL_FirmwareUpdateMode(), 0);
    EXPECT_TRUE(simkey::readKeyIni(slot_)->bootloader);
}

TEST_F(BootSimulatorStart, ASimulatorThatEndsWithoutTheLinkIsAFailure) {
    writeScript("exit 3\n");
    EXPECT_NE(KL_FirmwareUpdateMode(), 0);
}
#endif

}  // namespace
