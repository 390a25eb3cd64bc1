// FTD2XX.dll of the Windows build on a COM port, as the flashers bind it (by
// ordinal). The Linux boot-loader simulator serves the port through Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "oltrex/device/D2xx.h"
#include "oltrex/platform/Process.h"
#include "support/BootSimulatorProcess.h"

namespace {

using oltrex::testing::BootSimulatorProcess;
using Bytes = std::vector<std::uint8_t>;

// The reboot command before any header: the boot loader refuses it (0x07).
const Bytes kRebootFrame = {0x00, 0x0A, 0x01};
const Bytes kRefusal = {0x00, 0x07, 0x01};

class Ftd2xxDll : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!simulator.available()) GTEST_SKIP() << "no oltrex-bootsim to run through Wine";
        oltrex::setEnvironmentValue("OLTREX_FTDI_PORT", simulator.port());
    }
    void TearDown() override {
        if (handle) FT_Close(handle);
        oltrex::setEnvironmentValue("OLTREX_FTDI_PORT", std::nullopt);
    }
    void openConfigured() {
        ASSERT_EQ(FT_Open(0, &handle), FT_OK);
        ASSERT_EQ(FT_ResetDevice(handle), FT_OK);
        ASSERT_EQ(FT_SetBaudRate(handle, 115200), FT_OK);
        ASSERT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE),
                  FT_OK);
        ASSERT_EQ(FT_SetFlowControl(handle, FT_FLOW_NONE, 0, 0), FT_OK);
        ASSERT_EQ(FT_SetTimeouts(handle, 1, 0), FT_OK);
        ASSERT_EQ(FT_Purge(handle, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    }
    void send(const Bytes& bytes) {
        std::uint32_t written = 0;
        ASSERT_EQ(
            FT_Write(handle, bytes.data(), static_cast<std::uint32_t>(bytes.size()), &written),
            FT_OK);
        EXPECT_EQ(written, bytes.size());
    }
    // Byte by byte, as the flashers read, until `count` came or the time is up.
    Bytes receive(std::size_t count, std::chrono::milliseconds within = std::chrono::seconds(2)) {
        Bytes got;
        const auto deadline = std::chrono::steady_clock::now() + within;
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            std::uint8_t byte = 0;
            std::uint32_t n = 0;
            if (FT_Read(handle, &byte, 1, &n) == FT_OK && n == 1) got.push_back(byte);
        }
        return got;
    }
    BootSimulatorProcess simulator{{}};
    FT_HANDLE handle = nullptr;
};

TEST_F(Ftd2xxDll, FindsNoDeviceWithoutItsPortOrForAnotherIndex) {
    EXPECT_EQ(FT_Open(0, &handle), static_cast<FT_STATUS>(FT_DEVICE_NOT_FOUND))
        << "no simulator serves it yet";
    EXPECT_EQ(handle, nullptr);
    ASSERT_TRUE(simulator.start({}, {}));
    EXPECT_EQ(FT_Open(1, &handle), static_cast<FT_STATUS>(FT_DEVICE_NOT_FOUND));
    oltrex::setEnvironmentValue("OLTREX_FTDI_PORT", std::nullopt);
    EXPECT_EQ(FT_Open(0, &handle), static_cast<FT_STATUS>(FT_DEVICE_NOT_FOUND));
    EXPECT_EQ(handle, nullptr);
}

TEST_F(Ftd2xxDll, RefusesADeviceThatIsNoSerialPort) {
    oltrex::setEnvironmentValue("OLTREX_FTDI_PORT", "NUL");
    EXPECT_EQ(FT_Open(0, &handle), static_cast<FT_STATUS>(FT_DEVICE_NOT_OPENED));
    EXPECT_EQ(handle, nullptr);
}

TEST_F(Ftd2xxDll, LetsOnlyOneUserOpenThePortAtATime) {
    ASSERT_TRUE(simulator.start({}, {}));
    openConfigured();
    FT_HANDLE second = nullptr;
    EXPECT_EQ(FT_Open(0, &second), static_cast<FT_STATUS>(FT_DEVICE_NOT_OPENED));
}

TEST_F(Ftd2xxDll, ReturnsFromAnEmptyReadAfterAboutOneMillisecond) {
    ASSERT_TRUE(simulator.start({}, {}));
    openConfigured();
    std::uint8_t byte = 0;
    std::uint32_t got = 99;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) ASSERT_EQ(FT_Read(handle, &byte, 1, &got), FT_OK);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(got, 0u);
    // Twenty reads wait at least 20 ms in all and do not hang.
    EXPECT_GE(took, std::chrono::milliseconds(20));
    EXPECT_LT(took, std::chrono::seconds(2));
}

TEST_F(Ftd2xxDll, CarriesAFrameToTheBootLoaderAndItsAnswerBack) {
    ASSERT_TRUE(simulator.start({}, {}));
    openConfigured();
    send(kRebootFrame);
    EXPECT_EQ(receive(kRefusal.size()), kRefusal);
}

TEST_F(Ftd2xxDll, PurgeDropsAnAnswerThatArrivedBefore) {
    ASSERT_TRUE(simulator.start({}, {}));
    openConfigured();
    send(kRebootFrame);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(FT_Purge(handle, FT_PURGE_RX), FT_OK);
    EXPECT_TRUE(receive(1, std::chrono::milliseconds(300)).empty());
}

TEST_F(Ftd2xxDll, DescribesThePortByItsName) {
    ASSERT_TRUE(simulator.start({}, {}));
    openConfigured();
    FT_DEVICE type = 99;
    std::uint32_t id = 99;
    char serial[FT_SERIAL_NUMBER_SIZE];
    char description[FT_DESCRIPTION_SIZE];
    ASSERT_EQ(FT_GetDeviceInfo(handle, &type, &id, serial, description, nullptr), FT_OK);
    EXPECT_EQ(std::string(description), simulator.port());
    EXPECT_EQ(std::string(serial), "");
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(type, static_cast<FT_DEVICE>(FT_DEVICE_UNKNOWN));
}

TEST_F(Ftd2xxDll, ReportsALineThatWentAwayAsAFailedReadThatStillTakesItsTime) {
    ASSERT_TRUE(simulator.start({}, {"--idle-timeout", "1"}));
    openConfigured();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the simulator ended idle
    std::uint8_t byte = 0;
    std::uint32_t got = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) EXPECT_NE(FT_Read(handle, &byte, 1, &got), FT_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10));
}

}  // namespace
