#include "oltrex/keyrefresh/KeyIdentification.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "oltrex/keyrefresh/RefreshTexts.h"

namespace oltrex {
namespace {

constexpr int kIdentifyAttempts = 5;
constexpr std::uint32_t kIdentifyRetryMs = 100;

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char text[1024];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

// The key information through a zero-filled buffer of the key page's size.
int readKeyInfo(KeyLibrary& keys, std::string& text) {
    std::vector<char> buffer(kKeyPageInfoBuffer, '\0');
    const int result = keys.keyInfo(buffer.data(), kKeyPageInfoBuffer);
    buffer.back() = '\0';  // a full buffer still ends the text
    text.assign(buffer.data());
    return result;
}

}  // namespace

bool isUpdatableKeyText(std::string_view text) {
    if (text.find("ID: OX") == std::string_view::npos) return false;
    const auto fw = text.find("FW-");
    if (fw == std::string_view::npos || fw == 0) return false;
    // Read like atoi: leading zeros allowed, stops at the first non-digit.
    long number = 0;
    for (std::size_t at = fw + 3; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        number = number * 10 + (text[at] - '0');
        if (number > 100000) break;  // far beyond any series; no overflow
    }
    const long series = number / 100;
    return series == 1 || series == 5;
}

std::string keyFirmwareFromText(std::string_view text) {
    if (text.size() < 4) return {};
    const std::string_view digits = text.substr(text.size() - 4);
    std::string firmware = format("%s.%s", std::string(digits.substr(0, 2)).c_str(),
                                  std::string(digits.substr(2)).c_str());
    if (firmware.front() == '0') firmware.erase(0, 1);
    return firmware;
}

std::string keySerialFromText(std::string_view text) {
    if (text.size() <= 10) return {};
    return std::string(text.substr(10, 10));
}

KeyIdentification identifyKey(KeyLibrary& keys, Clock& clock, std::string_view newFirmware) {
    KeyIdentification key;
    for (int attempt = 0; attempt < kIdentifyAttempts; ++attempt) {
        if (attempt > 0) clock.sleepMs(kIdentifyRetryMs);
        const int result = readKeyInfo(keys, key.infoText);
        if (result != 0 || !key.infoText.empty()) break;
    }
    key.valid = isUpdatableKeyText(key.infoText);

    std::string firstLine = refresh::kNoKeyLine;
    if (!key.infoText.empty()) {
        key.keyFirmware = keyFirmwareFromText(key.infoText);
        firstLine = format(refresh::kKeyFirmwareLineFormat, key.keyFirmware.c_str());
        key.keySerial = keySerialFromText(key.infoText);
    }
    key.newFirmware = std::string(newFirmware);
    const std::string secondLine = format(refresh::kNewFirmwareLineFormat, key.newFirmware.c_str());
    key.pageText = format(refresh::kKeyPageFormat, firstLine.c_str(), secondLine.c_str(),
                          key.keySerial.c_str());
    return key;
}

bool sameKeyStillPlugged(KeyLibrary& keys, const std::string& keySerial) {
    std::string text;
    readKeyInfo(keys, text);  // its result tells nothing more than the text
    const auto at = text.find(keySerial);
    return at != std::string::npos && at > 0;
}

std::string editControlLines(std::string_view text) {
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lines += '\n';
            ++i;
        } else if (text[i] != '\r' && text[i] != '\n') {
            lines += text[i];
        }
    }
    return lines;
}

}  // namespace oltrex
