// ComTask fed arbitrary answers through a fake port. After every frame the
// PC writes, the input decides what comes back: the real boot loader's
// answer, a plain ACK, NACK or unknown code, arbitrary line bytes, or
// silence. A read that finds no byte costs a millisecond of the fake clock,
// like the real 1 ms time-out. The transfer always ends, and it reports
// success only after the boot loader took the whole image and the reboot.
#include <deque>
#include <string>

#include "FuzzSupport.h"
#include "oltrex/bootsim/BootLoader.h"
#include "oltrex/transfer/ComTask.h"

namespace {
constexpr const char* kTarget = "com_task";
using namespace oltrex;

class NoEvents final : public TransferEvents {
  public:
    void starting(std::uint32_t) override {}
    void message(std::string_view) override {}
    void portOpened() override {}
    void portOpenFailed() override {}
    void progress(unsigned percent, ProgressPoint) override { lastPercent = percent; }
    void frameSending(const std::uint8_t*, std::size_t size) override {
        OLTREX_FUZZ_CHECK(size <= kFrameBufferSize, "a frame larger than the frame buffer");
    }
    void answerReceived(const std::uint8_t*, std::size_t size) override {
        OLTREX_FUZZ_CHECK(size <= kFrameBufferSize, "an answer larger than the answer buffer");
    }
    void blockBuilt(std::size_t, std::uint32_t, std::uint32_t) override {}
    void headerBuilt(const std::array<char, 4>&, std::size_t, std::uint32_t,
                     std::uint32_t) override {}
    void failed() override {}
    void done() override {}
    void unknownState() override {}
    unsigned lastPercent = 0;
};

class ScriptedPort final : public ComPort {
  public:
    ScriptedPort(FuzzedDataProvider& script, fuzz::FixedClock& clock)
        : script_(script), clock_(clock) {}

    int open(const MessageSink&) override { return openResult; }
    int readByte() override {
        if (rx_.empty()) {
            clock_.now += 1;
            return -1;
        }
        const int b = rx_.front();
        rx_.pop_front();
        return b;
    }
    void write(const std::uint8_t* bytes, std::size_t size) override {
        std::optional<bootsim::FrameResult> answer;
        for (std::size_t i = 0; i < size; ++i) {
            if (auto r = loader.feed(bytes[i])) answer = std::move(r);
        }
        switch (script_.remaining_bytes() == 0 ? 5 : script_.ConsumeIntegralInRange(0, 5)) {
            case 0:
            case 1:  // the boot loader's own answer (most of the time, so transfers get far)
                if (answer)
                    rx_.insert(rx_.end(), answer->answerLine.begin(), answer->answerLine.end());
                break;
            case 2: {  // a code of the input's choice in a proper frame
                const std::uint8_t code = script_.ConsumeIntegral<std::uint8_t>();
                const auto framed = stuffedFrame(&code, 1);
                rx_.insert(rx_.end(), framed.begin(), framed.end());
                break;
            }
            case 3: {  // arbitrary line bytes
                const auto bytesIn =
                    script_.ConsumeBytes<std::uint8_t>(script_.ConsumeIntegralInRange(0, 700));
                rx_.insert(rx_.end(), bytesIn.begin(), bytesIn.end());
                break;
            }
            case 4:  // a late answer: silence now, the boot loader's answer queued behind noise
                clock_.now += script_.ConsumeIntegralInRange<std::uint32_t>(0, 5000);
                if (answer)
                    rx_.insert(rx_.end(), answer->answerLine.begin(), answer->answerLine.end());
                break;
            default:  // silence
                break;
        }
    }
    void close() override {}
    std::string description() const override { return "scripted"; }

    int openResult = 0;
    bootsim::BootLoader loader;

  private:
    FuzzedDataProvider& script_;
    fuzz::FixedClock& clock_;
    std::deque<std::uint8_t> rx_;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Bytes image = [] {
        Bytes bytes(700);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 37 + 1);
        const char label[] = " FW-0120";
        std::copy(label, label + 8, bytes.begin() + 300);
        return bytes;
    }();
    FuzzedDataProvider script(data, size);
    fuzz::FixedClock clock;
    NoEvents events;
    ScriptedPort port(script, clock);
    ComTaskLimits limits;
    limits.answerTimeoutMs = 50 + script.ConsumeIntegralInRange<std::uint32_t>(0, 3000);
    if (script.ConsumeIntegralInRange(0, 15) == 0)
        port.openResult = -1 - script.ConsumeIntegralInRange(0, 6);

    ComTask task(port, clock, events, limits);
    task.setImage({image.data(), static_cast<std::uint32_t>(image.size()), "ComP FW-0120"});
    task.setState(eStart);
    int result = 0;
    std::uint64_t steps = 0;
    // Each frame can take its answer time-out several times over; far more
    // steps than that mean the transfer does not end.
    const std::uint64_t bound = 400000ull + 64ull * limits.answerTimeoutMs * 20;
    while ((result = task.step()) == 0) {
        OLTREX_FUZZ_CHECK(++steps < bound, "the transfer does not end");
    }
    if (result == 1) {
        OLTREX_FUZZ_CHECK(
            port.loader.rebooted() && port.loader.image() == image,
            "success reported but the boot loader has not taken the image and the reboot");
        OLTREX_FUZZ_CHECK(events.lastPercent == 100, "success without 100 %");
    }
    return 0;
}
