// The D2XX stand-in on a pseudo-terminal (the test holds the master side).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "oltrex/device/D2xx.h"

namespace {

namespace fs = std::filesystem;

class Pty {
public:
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        char name[128];
        if (::ptsname_r(master, name, sizeof name) == 0) slave = name;
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() {
        if (master >= 0) ::close(master);
    }
    std::vector<std::uint8_t> drain() {
        std::vector<std::uint8_t> out;
        std::uint8_t buffer[4096];
        for (int tries = 0; tries < 200; ++tries) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                out.insert(out.end(), buffer, buffer + n);
                tries = 190;  // a little longer for the rest
            } else {
                ::usleep(1000);
            }
        }
        return out;
    }
    int master = -1;
    std::string slave;
};

class D2xxStandIn : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.slave.empty());
        ::setenv("OLTREX_FTDI_PORT", pty.slave.c_str(), 1);
        ::unsetenv("OLTREX_SYSFS_ROOT");
    }
    void TearDown() override {
        if (handle) FT_Close(handle);
        ::unsetenv("OLTREX_FTDI_PORT");
    }
    void openConfigured() {
        ASSERT_EQ(FT_Open(0, &handle), FT_OK);
        ASSERT_EQ(FT_ResetDevice(handle), FT_OK);
        ASSERT_EQ(FT_SetBaudRate(handle, 115200), FT_OK);
        ASSERT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE), FT_OK);
        ASSERT_EQ(FT_SetFlowControl(handle, FT_FLOW_NONE, 0, 0), FT_OK);
        ASSERT_EQ(FT_SetTimeouts(handle, 1, 0), FT_OK);
        ASSERT_EQ(FT_Purge(handle, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    }
    Pty pty;
    FT_HANDLE handle = nullptr;
};

TEST_F(D2xxStandIn, FindsNoDeviceWhenThePortPathDoesNotExist) {
    ::setenv("OLTREX_FTDI_PORT", "/nonexistent/oltrex-port", 1);
    EXPECT_EQ(FT_Open(0, &handle), static_cast<FT_STATUS>(FT_DEVICE_NOT_FOUND));
    EXPECT_EQ(handle, nullptr);
}

TEST_F(D2xxStandIn, RefusesAFileThatIsNoSerialPort) {
    const fs::path file = fs::temp_directory_path() / ("oltrex-not-a-port-" + std::to_string(::getpid()));
    { std::ofstream(file) << "x"; }
    ::setenv("OLTREX_FTDI_PORT", file.c_str(), 1);
    EXPECT_EQ(FT_Open(0, &handle), static_cast<FT_STATUS>(FT_DEVICE_NOT_OPENED));
    fs::remove(file);
}

TEST_F(D2xxStandIn, LetsOnlyOneUserOpenThePortAtATime) {
    openConfigured();
    FT_HANDLE second = nullptr;
    EXPECT_EQ(FT_Open(0, &second), static_cast<FT_STATUS>(FT_DEVICE_NOT_OPENED));
}

TEST_F(D2xxStandIn, ReturnsFromAnEmptyReadAfterAboutOneMillisecond) {
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

TEST_F(D2xxStandIn, CarriesEveryByteValueUnchangedBothWays) {
    openConfigured();
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    std::uint32_t written = 0;
    ASSERT_EQ(FT_Write(handle, all.data(), 256, &written), FT_OK);
    EXPECT_EQ(written, 256u);
    EXPECT_EQ(pty.drain(), all);

    ASSERT_EQ(::write(pty.master, all.data(), all.size()), 256);
    std::vector<std::uint8_t> back;
    for (int i = 0; i < 2000 && back.size() < 256; ++i) {
        std::uint8_t byte = 0;
        std::uint32_t got = 0;
        ASSERT_EQ(FT_Read(handle, &byte, 1, &got), FT_OK);
        if (got == 1) back.push_back(byte);
    }
    EXPECT_EQ(back, all);
}

TEST_F(D2xxStandIn, PurgeDropsWhatArrivedBefore) {
    openConfigured();
    const std::uint8_t old[3] = {1, 2, 3};
    ASSERT_EQ(::write(pty.master, old, 3), 3);
    ::usleep(20000);
    ASSERT_EQ(FT_Purge(handle, FT_PURGE_RX), FT_OK);
    std::uint8_t byte = 0;
    std::uint32_t got = 0;
    ASSERT_EQ(FT_Read(handle, &byte, 1, &got), FT_OK);
    EXPECT_EQ(got, 0u);
}

TEST_F(D2xxStandIn, DescribesThePortByItsPath) {
    openConfigured();
    FT_DEVICE type = 99;
    std::uint32_t id = 99;
    char serial[FT_SERIAL_NUMBER_SIZE];
    char description[FT_DESCRIPTION_SIZE];
    ASSERT_EQ(FT_GetDeviceInfo(handle, &type, &id, serial, description, nullptr), FT_OK);
    EXPECT_EQ(std::string(description), pty.slave);
    EXPECT_EQ(std::string(serial), "");
    EXPECT_EQ(type, static_cast<FT_DEVICE>(FT_DEVICE_UNKNOWN));
}

// A real adapter is recognised through sysfs: serial number and IDs are read
// there, and its latency timer is set to 1 ms.
TEST_F(D2xxStandIn, ReadsARealAdaptersSerialNumberAndLowersItsLatencyTimer) {
    char pattern[] = "/tmp/oltrex-sysfs-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    const std::string tty = fs::path(pty.slave).filename().string();
    const fs::path usb = root / "devices/usb1/1-1";
    const fs::path port = usb / "1-1:1.0/ttyUSB0";
    fs::create_directories(port);
    fs::create_directories(root / "class/tty" / tty);
    fs::create_directory_symlink(port, root / "class/tty" / tty / "device");
    { std::ofstream(usb / "idVendor") << "0403\n"; }
    { std::ofstream(usb / "idProduct") << "6001\n"; }
    { std::ofstream(usb / "serial") << "A10KZP3Q\n"; }
    { std::ofstream(port / "latency_timer") << "16\n"; }
    ::setenv("OLTREX_SYSFS_ROOT", root.c_str(), 1);

    openConfigured();
    FT_DEVICE type = 0;
    std::uint32_t id = 0;
    char serial[FT_SERIAL_NUMBER_SIZE];
    char description[FT_DESCRIPTION_SIZE];
    ASSERT_EQ(FT_GetDeviceInfo(handle, &type, &id, serial, description, nullptr), FT_OK);
    EXPECT_EQ(std::string(serial), "A10KZP3Q");
    EXPECT_EQ(id, 0x04036001u);
    EXPECT_EQ(type, static_cast<FT_DEVICE>(FT_DEVICE_232R));
    std::ifstream latency(port / "latency_timer");
    int ms = 0;
    latency >> ms;
    EXPECT_EQ(ms, 1);
    ::unsetenv("OLTREX_SYSFS_ROOT");
    fs::remove_all(root);
}

TEST_F(D2xxStandIn, ReportsAHungUpLineAsAFailedReadThatStillTakesItsTime) {
    openConfigured();
    ::close(pty.master);
    pty.master = -1;
    std::uint8_t byte = 0;
    std::uint32_t got = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) EXPECT_NE(FT_Read(handle, &byte, 1, &got), FT_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10));
}

}  // namespace
