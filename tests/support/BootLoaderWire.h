#pragma once
// The far end of an in-process serial line: the simulated boot loader, whose
// answers become readable only once their delay has passed on the test's
// millisecond clock, in the order they were made. The transfer tests' ports
// put it behind ComPort.
#include <cstdint>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "oltrex/bootsim/BootLoader.h"

namespace oltrex::testing {

class BootLoaderWire {
public:
    explicit BootLoaderWire(bootsim::Faults faults = {}) : loader(std::move(faults)) {}

    // Line bytes from the PC, arriving at tick `now`.
    void send(const std::uint8_t* bytes, std::size_t size, std::uint32_t now) {
        for (std::size_t i = 0; i < size; ++i) {
            auto result = loader.feed(bytes[i]);
            if (!result) continue;
            std::vector<std::uint8_t> answer = result->answerLine;
            if (answerOverride) answerOverride(result->number, answer);
            // A late answer also holds back the ones after it.
            const std::uint32_t due = now + result->delayMs;
            if (!answered_ || static_cast<std::int32_t>(due - lastDue_) > 0) lastDue_ = due;
            answered_ = true;
            for (const std::uint8_t b : answer) rx_.push_back({lastDue_, b});
        }
    }
    // The next answer byte readable at tick `now`, or -1.
    int receive(std::uint32_t now) {
        if (rx_.empty() || static_cast<std::int32_t>(now - rx_.front().due) < 0) return -1;
        const int byte = rx_.front().byte;
        rx_.pop_front();
        return byte;
    }
    bool answersPending() const { return !rx_.empty(); }

    bootsim::BootLoader loader;
    // Replaces the line bytes of the answer to frame k (1-based).
    std::function<void(std::uint32_t, std::vector<std::uint8_t>&)> answerOverride;

private:
    struct Byte {
        std::uint32_t due;
        std::uint8_t byte;
    };
    std::deque<Byte> rx_;
    std::uint32_t lastDue_ = 0;
    bool answered_ = false;
};

}  // namespace oltrex::testing
