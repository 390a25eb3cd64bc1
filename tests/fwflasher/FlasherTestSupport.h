#pragma once
// Helpers of the FwFlasher tests: a clock that moves only when told, a serial
// port wired to an in-process boot loader, a window and message boxes that
// record what the rules do with them, and a key library with set answers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "../support/BootLoaderWire.h"
#include "oltrex/bootsim/BootLoader.h"
#include "oltrex/device/ComPort.h"
#include "oltrex/device/KeyLibrary.h"
#include "oltrex/fwflasher/CarriedFirmware.h"
#include "oltrex/fwflasher/FlasherPrompts.h"
#include "oltrex/fwflasher/FlasherWindow.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/transfer/ComTask.h"

namespace flashertest {

using namespace oltrex;
using namespace oltrex::fwflasher;

class StepClock final : public Clock {
public:
    std::uint32_t tickMs() override { return now; }
    void sleepMs(std::uint32_t ms) override {
        slept.push_back(ms);
        now += ms;
    }
    LocalTime localTime() override { return {}; }

    std::uint32_t now = 5000;
    std::vector<std::uint32_t> slept;
};

// The far end of this port is the boot loader the simulator runs. A read that
// finds nothing costs a millisecond, like the bridge's read time-out.
class BootLoaderPort final : public ComPort {
public:
    explicit BootLoaderPort(StepClock& clock, bootsim::Faults faults = {})
        : wire(std::move(faults)), clock_(clock) {}

    int open(const MessageSink& message) override {
        ++opens;
        if (openResult != 0) return openResult;
        if (message) message("USB-Mode 115200 Baud");
        return 0;
    }
    int readByte() override {
        const int byte = wire.receive(clock_.now);
        if (byte < 0) clock_.now += 1;
        return byte;
    }
    void write(const std::uint8_t* bytes, std::size_t size) override {
        wire.send(bytes, size, clock_.now);
    }
    void close() override { ++closes; }
    std::string description() const override { return {}; }

    oltrex::testing::BootLoaderWire wire;
    bootsim::BootLoader& loader = wire.loader;
    int openResult = 0;
    int opens = 0;
    int closes = 0;

private:
    StepClock& clock_;
};

struct StatusShown {
    std::string text;
    BgrColour colour = 0;
};

class RecordingWindow final : public FlasherWindow {
public:
    void addMemoLine(std::string_view text) override { memo.emplace_back(text); }
    void showStatus(std::string_view text, BgrColour colour) override {
        statuses.push_back({std::string(text), colour});
    }
    void showProgress(int percent) override { progress.push_back(percent); }
    void showStickSerial(const std::string& text) override { stickSerial = text; }
    void showStickFirmware(const std::string& text) override { stickFirmware = text; }
    void showNewFirmware(const std::string& text) override { newFirmware = text; }
    void showInfoKeyId(const std::string& text) override { infoKeyId = text; }
    void repaintForm() override { ++repaints; }
    void enableControls(bool enabled) override { controlsEnabled.push_back(enabled); }
    void showInfoForm() override { ++infoFormShown; }

    std::vector<std::string> memo;
    std::vector<StatusShown> statuses;
    std::vector<int> progress;
    std::string stickSerial = " ---", stickFirmware = " ---", newFirmware = " ---";
    std::string infoKeyId = "Stick-ID: ---- ";
    int repaints = 0;
    std::vector<bool> controlsEnabled;
    int infoFormShown = 0;
};

struct PromptShown {
    PromptKind kind;
    std::string caption;
    std::string text;
    PromptButtons buttons;
};

// Answers the boxes in the order given; a box beyond the script is answered
// OK and recorded all the same.
class ScriptedPrompts final : public FlasherPrompts {
public:
    explicit ScriptedPrompts(std::vector<PromptAnswer> script = {})
        : answers_(script.begin(), script.end()) {}
    PromptAnswer ask(PromptKind kind, std::string_view caption, std::string_view text,
                     PromptButtons buttons) override {
        shown.push_back({kind, std::string(caption), std::string(text), buttons});
        if (answers_.empty()) return PromptAnswer::Ok;
        const PromptAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    std::vector<PromptShown> shown;

private:
    std::deque<PromptAnswer> answers_;
};

// A key library that answers _getSerialNumber and _initSwDownLoad as set.
class SetKeyLibrary final : public KeyLibrary {
public:
    int keyInfo(char*, int) override { return -1; }
    int readDirectory(DirectoryBuffers&) override { return -1; }
    int readFile(const std::string&, const std::string&) override { return -1; }
    int deleteFile(const std::string&) override { return -1; }
    int firmwareUpdateMode() override { return -1; }
    int beginSecureMode() override { return -1; }
    int endSecureMode() override { return -1; }
    int getSerialNumber(char* record) override {
        ++serialCalls;
        if (serialResult != 0) return serialResult;
        std::memcpy(record, serialRecord.c_str(), serialRecord.size() + 1);
        return 0;
    }
    int initSwDownload() override {
        ++initCalls;
        return initResult;
    }

    std::string serialRecord = " StickID: OX12345678 FW-0110";
    int serialResult = 0;
    int initResult = 0;
    int serialCalls = 0;
    int initCalls = 0;
};

inline FirmwareImage carriedImage() {
    return {fwFlasherFirmwareImage(), fwFlasherFirmwareLength(), fwFlasherFirmwareTypeCode()};
}

// The memo lines of a whole transfer of an image of `length` bytes into a
// boot loader that acknowledges every frame, without the CRCs of the block
// lines (checked by prefix).
inline std::vector<std::string> expectedTransferMemo(std::uint32_t length) {
    std::vector<std::string> lines = {"vor Open_ComPort()", "USB-Mode 115200 Baud",
                                      "nach Open_ComPort()"};
    char prefix[64];
    for (std::uint32_t at = 0; at < length; at += 256) {
        const std::uint32_t n = length - at < 256 ? length - at : 256;
        std::snprintf(prefix, sizeof prefix, "Block genereated: len=%u, adr=0x%08X, crc=0x",
                      n + 11, 0x8000 + at);
        lines.insert(lines.end(), {prefix, "block sent", "block received", "Ackn received"});
    }
    lines.insert(lines.end(),
                 {"Header Block genereated: len=267, adr=0x00007F00, crc=0x", "block sent",
                  "block received", "Ackn received", "Ackn received", "send eSystemReboot",
                  "block sent", "block received", "Ackn received"});
    return lines;
}

// True when every line starts with the expected line (block lines carry a
// CRC after their expected prefix; all other lines must match whole).
inline ::testing::AssertionResult memoMatches(const std::vector<std::string>& memo,
                                              const std::vector<std::string>& expected) {
    if (memo.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << "memo has " << memo.size() << " lines, expected " << expected.size();
    }
    for (std::size_t i = 0; i < memo.size(); ++i) {
        const bool isBlockLine = expected[i].ends_with("crc=0x");
        const bool ok = isBlockLine ? memo[i].starts_with(expected[i]) &&
                                          memo[i].size() == expected[i].size() + 8
                                    : memo[i] == expected[i];
        if (!ok) {
            return ::testing::AssertionFailure()
                   << "line " << i << ": \"" << memo[i] << "\", expected \"" << expected[i] << "\"";
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace flashertest
