// The boot loader falling silent at each frame of a firmware transfer in
// turn: every data block (the first, the ones between, the last), the header
// block and the reboot command. ComTask talks to the simulated boot loader
// in-process over a port that moves bytes straight across, on a clock that
// moves a millisecond per empty read, with KeyRefresh's transfer log. Each
// transfer ends in an error with the log saying so, and the key never
// reboots into an image it did not receive whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/BootLoaderWire.h"
#include "ProveSupport.h"
#include "oltrex/bootsim/BootLoader.h"
#include "oltrex/keyrefresh/CarriedFirmware.h"
#include "oltrex/transfer/ComTask.h"
#include "oltrex/transfer/LogTransferEvents.h"
#include "oltrex/transfer/TransferLog.h"

namespace prove {
namespace {

class StepClock final : public oltrex::Clock {
  public:
    std::uint32_t tickMs() override { return now; }
    void sleepMs(std::uint32_t ms) override { now += ms; }
    oltrex::LocalTime localTime() override { return {2026, 3, 7, 9, 5, 4, 0}; }
    std::uint32_t now = 1000;
};

class WirePort final : public oltrex::ComPort {
  public:
    WirePort(StepClock& clock, oltrex::bootsim::Faults faults)
        : wire(std::move(faults)), clock_(clock) {}

    int open(const MessageSink& message) override {
        if (message) message("USB-Mode 115200 Baud");
        return 0;
    }
    int readByte() override {
        const int b = wire.receive(clock_.now);
        if (b < 0) clock_.now += 1;  // the 1 ms read time-out
        return b;
    }
    void write(const std::uint8_t* bytes, std::size_t size) override {
        wire.send(bytes, size, clock_.now);
    }
    void close() override {}
    std::string description() const override { return "wire"; }

    oltrex::testing::BootLoaderWire wire;
    oltrex::bootsim::BootLoader& loader = wire.loader;

  private:
    StepClock& clock_;
};

struct Transfer {
    int result = 0;
    std::uint32_t framesReceived = 0;
    bool rebooted = false;
    std::vector<std::uint8_t> image;
    std::vector<std::string> logLines;
};

Transfer transfer(const oltrex::FirmwareImage& image, std::uint32_t silentFrom,
                  const fs::path& logFolder) {
    StepClock clock;
    oltrex::bootsim::Faults faults;
    faults.silentFrom = silentFrom;
    WirePort port(clock, faults);
    oltrex::TransferLog log;
    EXPECT_TRUE(log.openFresh(logFolder));
    oltrex::LogTransferEvents events(log);
    oltrex::ComTask task(port, clock, events);
    task.setImage(image);
    task.setState(oltrex::eStart);
    Transfer out;
    for (long steps = 0; (out.result = task.step()) == 0; ++steps) {
        if (steps > 5'000'000) {
            ADD_FAILURE() << "the transfer does not end";
            break;
        }
    }
    log.close();
    out.framesReceived = port.loader.framesReceived();
    out.rebooted = port.loader.rebooted();
    out.image = port.loader.image();
    const std::string text = readText(logFolder / oltrex::kTransferLogName);
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        out.logLines.push_back(text.substr(start, at - start));
    return out;
}

TEST(BootLoaderFallsSilent, AtEveryFrameOfTheTransferItEndsInAnErrorTheLogNames) {
    TempFolder root;
    const oltrex::FirmwareImage image{oltrex::keyRefreshFirmwareImage(),
                                      oltrex::keyRefreshFirmwareLength(),
                                      oltrex::keyRefreshFirmwareDescription()};
    const std::vector<std::uint8_t> whole(image.data, image.data + image.length);

    const Transfer undisturbed = transfer(image, 0, root.path());
    ASSERT_EQ(undisturbed.result, 1);
    ASSERT_TRUE(undisturbed.rebooted);
    const std::uint32_t frames = undisturbed.framesReceived;  // data blocks, header block, reboot
    ASSERT_EQ(frames, (image.length + 255) / 256 + 2);

    for (std::uint32_t k = 1; k <= frames; ++k) {
        const std::string phase = k == 1            ? "the first data block"
                                  : k < frames - 2  ? "a data block"
                                  : k == frames - 2 ? "the last data block"
                                  : k == frames - 1 ? "the header block"
                                                    : "the reboot command";
        SCOPED_TRACE("silent from frame " + std::to_string(k) + " (" + phase + ")");
        const Transfer t = transfer(image, k, root.path());
        ASSERT_EQ(t.result, -1);
        // The frame met silence and was sent again after each answer time-out
        // (three resends over the transfer), then the transfer gave up.
        EXPECT_EQ(t.framesReceived, k + 3);
        EXPECT_FALSE(t.rebooted) << "the key rebooted although the transfer failed";
        EXPECT_LE(t.image.size(), whole.size());
        ASSERT_GE(t.logLines.size(), 2u);
        EXPECT_EQ(t.logLines[t.logLines.size() - 2], "displLed(): LED=Error");
        EXPECT_EQ(t.logLines.back(), "displStatus(): Fehler ");
    }
}

}  // namespace
}  // namespace prove
