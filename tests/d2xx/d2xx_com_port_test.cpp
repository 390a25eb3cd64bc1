// Opening, configuring, reading and writing the key's port through D2XX calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "oltrex/device/D2xxComPort.h"

namespace oltrex {
namespace {

// Records every call; the call named in `failing` returns an error.
class FakeDevice final : public D2xxDevice {
public:
    FT_STATUS open(int number) override { return record("open " + std::to_string(number)); }
    FT_STATUS close() override { return record("close"); }
    FT_STATUS reset() override { return record("reset"); }
    FT_STATUS setBaudRate(std::uint32_t baud) override { return record("baud " + std::to_string(baud)); }
    FT_STATUS setDataCharacteristics(std::uint8_t bits, std::uint8_t stop, std::uint8_t parity) override {
        return record("data " + std::to_string(bits) + " " + std::to_string(stop) + " " +
                      std::to_string(parity));
    }
    FT_STATUS setFlowControl(std::uint16_t flow, std::uint8_t xon, std::uint8_t xoff) override {
        return record("flow " + std::to_string(flow) + " " + std::to_string(xon) + " " +
                      std::to_string(xoff));
    }
    FT_STATUS setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override {
        return record("timeouts " + std::to_string(readMs) + " " + std::to_string(writeMs));
    }
    FT_STATUS purge(std::uint32_t mask) override { return record("purge " + std::to_string(mask)); }
    FT_STATUS deviceInfo(D2xxDeviceInfo& info) override {
        info.description = "FT232R USB UART";
        return record("info");
    }
    FT_STATUS read(std::uint8_t* buffer, std::uint32_t, std::uint32_t& got) override {
        calls.push_back("read");
        if (readStatus != FT_OK || pending.empty()) {
            got = 0;
            return readStatus;
        }
        buffer[0] = pending.front();
        pending.erase(pending.begin());
        got = 1;
        return FT_OK;
    }
    FT_STATUS write(const std::uint8_t* bytes, std::uint32_t size, std::uint32_t& written) override {
        calls.push_back("write " + std::to_string(size));
        written = writeChunk == 0 ? 0 : std::min(size, writeChunk);
        line.insert(line.end(), bytes, bytes + written);
        return writeStatus;
    }

    FT_STATUS record(const std::string& call) {
        calls.push_back(call);
        return call.rfind(failing, 0) == 0 && !failing.empty() ? FT_IO_ERROR : FT_OK;
    }

    std::string failing;
    std::vector<std::string> calls;
    std::vector<std::uint8_t> pending;
    std::vector<std::uint8_t> line;
    FT_STATUS readStatus = FT_OK;
    FT_STATUS writeStatus = FT_OK;
    std::uint32_t writeChunk = 0xFFFFFFFF;
};

std::vector<std::string> opened(D2xxComPort& port, std::vector<std::string>* messages = nullptr) {
    std::vector<std::string> seen;
    port.open([&](std::string_view m) { seen.emplace_back(m); });
    if (messages) *messages = seen;
    return seen;
}

TEST(D2xxComPort, ConfiguresDeviceZeroFor115200Baud8N1WithA1msReadTimeOut) {
    FakeDevice device;
    D2xxComPort port(device);
    std::vector<std::string> messages;
    EXPECT_EQ(port.open([&](std::string_view m) { messages.emplace_back(m); }), 0);
    EXPECT_EQ(device.calls, (std::vector<std::string>{"open 0", "reset", "baud 115200", "data 8 0 0",
                                                      "flow 0 0 0", "timeouts 1 0", "purge 3", "info"}));
    EXPECT_EQ(messages, std::vector<std::string>{"USB-Mode 115200 Baud"});
    EXPECT_EQ(port.description(), "FT232R USB UART");
}

struct FailingStep {
    const char* call;
    int result;
};

class D2xxComPortFailure : public ::testing::TestWithParam<FailingStep> {};

TEST_P(D2xxComPortFailure, ReportsTheFailedStepOnlyAfterClosingTheDevice) {
    FakeDevice device;
    device.failing = GetParam().call;
    D2xxComPort port(device);
    EXPECT_EQ(port.open({}), GetParam().result);
    EXPECT_FALSE(port.isOpen());
    if (GetParam().result == kComPortOpenFailed) {
        EXPECT_EQ(device.calls, std::vector<std::string>{"open 0"});
    } else {
        EXPECT_EQ(device.calls.back(), "close");
        EXPECT_EQ(std::count(device.calls.begin(), device.calls.end(), "close"), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(EverySetupStep, D2xxComPortFailure,
                         ::testing::Values(FailingStep{"open", -1}, FailingStep{"reset", -2},
                                           FailingStep{"baud", -3}, FailingStep{"data", -4},
                                           FailingStep{"flow", -5}, FailingStep{"timeouts", -6},
                                           FailingStep{"purge", -7}));

TEST(D2xxComPort, AnnouncesTheBaudRateOnlyAfterASuccessfulReset) {
    FakeDevice device;
    device.failing = "reset";
    D2xxComPort port(device);
    std::vector<std::string> messages;
    opened(port, &messages);
    EXPECT_TRUE(messages.empty());
}

TEST(D2xxComPort, OpensWithAnEmptyDescriptionWhenTheDeviceInformationFails) {
    FakeDevice device;
    device.failing = "info";
    D2xxComPort port(device);
    EXPECT_EQ(port.open({}), 0);
    EXPECT_EQ(port.description(), "");
}

TEST(D2xxComPort, SkipsTheDeviceInformationForTheLegacyFlasher) {
    FakeDevice device;
    D2xxComPort port(device, D2xxComPortOptions{false, true});
    EXPECT_EQ(port.open({}), 0);
    EXPECT_EQ(device.calls.back(), "purge 3");
}

TEST(D2xxComPort, ReadsOneByteAtATimeAndMinusOneWhenNoneCame) {
    FakeDevice device;
    device.pending = {0x06, 0x00};
    D2xxComPort port(device);
    port.open({});
    EXPECT_EQ(port.readByte(), 0x06);
    EXPECT_EQ(port.readByte(), 0x00);
    EXPECT_EQ(port.readByte(), -1);
    device.pending = {0x07};
    device.readStatus = FT_IO_ERROR;
    EXPECT_EQ(port.readByte(), -1);
}

TEST(D2xxComPort, RepeatsAPartialWriteForTheRestButAtMostTenCalls) {
    FakeDevice device;
    D2xxComPort port(device);
    port.open({});
    device.calls.clear();
    device.writeChunk = 100;
    const std::vector<std::uint8_t> frame(536, 0x55);
    port.write(frame.data(), frame.size());
    EXPECT_EQ(device.calls, (std::vector<std::string>{"write 536", "write 436", "write 336",
                                                      "write 236", "write 136", "write 36"}));
    EXPECT_EQ(device.line, frame);

    device.calls.clear();
    device.writeChunk = 1;
    port.write(frame.data(), frame.size());
    EXPECT_EQ(device.calls.size(), 10u);
}

TEST(D2xxComPort, StopsWritingSilentlyWhenAWriteCallFails) {
    FakeDevice device;
    D2xxComPort port(device);
    port.open({});
    device.calls.clear();
    device.writeStatus = FT_IO_ERROR;
    device.writeChunk = 10;
    const std::vector<std::uint8_t> frame(100, 0x55);
    port.write(frame.data(), frame.size());
    EXPECT_EQ(device.calls.size(), 1u);
}

TEST(D2xxComPort, WritesOneBytePerCallForTheLegacyFlasher) {
    FakeDevice device;
    D2xxComPort port(device, D2xxComPortOptions{false, true});
    port.open({});
    device.calls.clear();
    const std::vector<std::uint8_t> frame = {0x00, 0x0A, 0x01};
    port.write(frame.data(), frame.size());
    EXPECT_EQ(device.calls, (std::vector<std::string>{"write 1", "write 1", "write 1"}));
    EXPECT_EQ(device.line, frame);
}

TEST(D2xxComPort, TriesAByteTenTimesWhileTheDeviceTakesNothing) {
    FakeDevice device;
    D2xxComPort port(device, D2xxComPortOptions{false, true});
    port.open({});
    device.calls.clear();
    device.writeChunk = 0;
    const std::vector<std::uint8_t> frame = {0x00, 0x0A};
    port.write(frame.data(), frame.size());
    EXPECT_EQ(device.calls.size(), 20u);
}

}  // namespace
}  // namespace oltrex
