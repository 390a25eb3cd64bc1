#pragma once
// Helpers of the transfer tests: a clock that moves only when told, a serial
// port wired straight to the simulated boot loader, test images and log lines.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../support/BootLoaderWire.h"
#include "oltrex/bootsim/BootLoader.h"
#include "oltrex/device/ComPort.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/transfer/Framing.h"

namespace oltrex::testing {

class FakeClock final : public Clock {
public:
    std::uint32_t tickMs() override { return now; }
    void sleepMs(std::uint32_t ms) override {
        slept.push_back(ms);
        now += ms;
    }
    LocalTime localTime() override { return local; }

    std::uint32_t now = 1000;
    std::vector<std::uint32_t> slept;
    LocalTime local{2026, 3, 7, 9, 5, 4, 0};
};

// A ComPort whose far end is an in-process boot loader. A read that finds no
// byte costs one millisecond of the fake clock, like the real 1 ms time-out.
class LoopbackPort final : public ComPort {
public:
    LoopbackPort(FakeClock& clock, bootsim::Faults faults = {}) : wire(std::move(faults)), clock_(clock) {}

    int open(const MessageSink& message) override {
        ++opens;
        if (openResult != 0) return openResult;
        if (message) message("USB-Mode 115200 Baud");
        isOpen = true;
        return 0;
    }
    int readByte() override {
        const int b = wire.receive(clock_.now);
        if (b < 0) clock_.now += 1;
        return b;
    }
    void write(const std::uint8_t* bytes, std::size_t size) override {
        ++writeCalls;
        lineBytesSent += size;
        line.insert(line.end(), bytes, bytes + size);
        for (std::size_t i = 0; i < size; ++i) {
            if (sentDecoder_.feed(bytes[i])) {
                sentFrames.emplace_back(sentDecoder_.data(), sentDecoder_.data() + sentDecoder_.size());
                sentDecoder_.reset();
            }
        }
        wire.send(bytes, size, clock_.now);
    }
    void close() override {
        ++closes;
        isOpen = false;
    }
    std::string description() const override { return isOpen ? "loopback" : ""; }

    BootLoaderWire wire;
    bootsim::BootLoader& loader = wire.loader;
    // Replaces the line bytes of the answer to frame k (1-based).
    std::function<void(std::uint32_t, std::vector<std::uint8_t>&)>& answerOverride = wire.answerOverride;
    std::vector<std::vector<std::uint8_t>> sentFrames;
    std::vector<std::uint8_t> line;  // every byte written
    int openResult = 0;
    int opens = 0;
    int closes = 0;
    int writeCalls = 0;
    std::size_t lineBytesSent = 0;
    bool isOpen = false;

private:
    FakeClock& clock_;
    FrameDecoder sentDecoder_{4096};
};

// An image of `size` bytes in which every byte value occurs (the framing
// values 0x00 to 0x02 included) and the version label sits at `labelAt`.
inline std::vector<std::uint8_t> makeTestImage(std::size_t size, const std::string& label = " FW-0120",
                                               std::size_t labelAt = 0x200) {
    std::vector<std::uint8_t> image(size);
    std::mt19937 random(20260307);
    for (auto& b : image) b = static_cast<std::uint8_t>(random());
    for (std::size_t i = 0; i < size && i < 256; ++i) image[i] = static_cast<std::uint8_t>(i);
    if (labelAt + label.size() <= size) std::copy(label.begin(), label.end(), image.begin() + labelAt);
    return image;
}

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The log split at its "\r\n" line ends.
inline std::vector<std::string> logLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
        lines.push_back(text.substr(start, at - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

inline std::string progressLine(unsigned percent) {
    return "showProgress(): [" + std::string(percent, '*') + std::string(100 - percent, ' ') + "]";
}

// A fresh private folder for one test, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::error_code ec;
        path_ = createPrivateFolder(systemTempFolder(), "oltrex-transfer-", ec);
    }
    ~TempFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace oltrex::testing
