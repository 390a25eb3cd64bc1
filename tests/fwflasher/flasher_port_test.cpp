// FwFlasher's use of the USB-serial bridge: one byte per write call, and no
// device information query after opening.
#include <gtest/gtest.h>

#include <deque>

#include "FlasherTestSupport.h"
#include "oltrex/device/D2xxComPort.h"
#include "oltrex/fwflasher/FlasherPort.h"
#include "oltrex/fwflasher/Userdownloadunit.h"

using namespace flashertest;

namespace {

// A bridge whose far end is the simulated boot loader; it records the size of
// every write call.
class BridgeToBootLoader final : public D2xxDevice {
public:
    explicit BridgeToBootLoader(StepClock& clock) : clock_(clock) {}

    FT_STATUS open(int) override { return FT_OK; }
    FT_STATUS close() override { return FT_OK; }
    FT_STATUS reset() override { return FT_OK; }
    FT_STATUS setBaudRate(std::uint32_t baud) override {
        baudRate = baud;
        return FT_OK;
    }
    FT_STATUS setDataCharacteristics(std::uint8_t, std::uint8_t, std::uint8_t) override { return FT_OK; }
    FT_STATUS setFlowControl(std::uint16_t, std::uint8_t, std::uint8_t) override { return FT_OK; }
    FT_STATUS setTimeouts(std::uint32_t, std::uint32_t) override { return FT_OK; }
    FT_STATUS purge(std::uint32_t) override { return FT_OK; }
    FT_STATUS deviceInfo(D2xxDeviceInfo&) override {
        ++infoQueries;
        return FT_OK;
    }
    FT_STATUS read(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& got) override {
        got = 0;
        while (got < size && !pending_.empty()) {
            buffer[got++] = pending_.front();
            pending_.pop_front();
        }
        if (got == 0) clock_.now += 1;
        return FT_OK;
    }
    FT_STATUS write(const std::uint8_t* bytes, std::uint32_t size, std::uint32_t& written) override {
        writeSizes.push_back(size);
        written = 0;
        // Every 100th call takes nothing, as a busy bridge may do.
        if (writeSizes.size() % 100 == 0) {
            ++refusals;
            return FT_OK;
        }
        for (std::uint32_t i = 0; i < size; ++i) {
            if (auto result = loader.feed(bytes[i])) {
                pending_.insert(pending_.end(), result->answerLine.begin(), result->answerLine.end());
            }
        }
        written = size;
        return FT_OK;
    }

    bootsim::BootLoader loader;
    std::vector<std::uint32_t> writeSizes;
    std::uint32_t baudRate = 0;
    int infoQueries = 0;
    int refusals = 0;

private:
    StepClock& clock_;
    std::deque<std::uint8_t> pending_;
};

TEST(FlasherPort, SendsEveryLineByteInAWriteCallOfItsOwnAndRetriesAZeroCount) {
    StepClock clock;
    BridgeToBootLoader bridge(clock);
    D2xxComPort port(bridge, flasherPortOptions());
    RecordingWindow window;
    Userdownloadunit unit(port, clock, window, carriedImage());

    unit.setState(eStart);
    int result = 0;
    for (int i = 0; i < 100000 && result == 0; ++i) result = unit.step();
    ASSERT_EQ(result, 1);

    EXPECT_EQ(bridge.baudRate, 115200u);
    EXPECT_EQ(bridge.infoQueries, 0);
    ASSERT_FALSE(bridge.writeSizes.empty());
    EXPECT_TRUE(std::all_of(bridge.writeSizes.begin(), bridge.writeSizes.end(),
                            [](std::uint32_t size) { return size == 1; }));
    EXPECT_GT(bridge.refusals, 0);
    // The bytes refused once went out on the second call: the image is whole.
    EXPECT_TRUE(bridge.loader.rebooted());
    EXPECT_EQ(bridge.loader.image().size(), 31364u);
}

}  // namespace
