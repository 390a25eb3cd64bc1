#pragma once
// What the key page learns about the plugged key, and the check that the same
// key is still there when the user goes on.
#include <string>
#include <string_view>

#include "oltrex/device/KeyLibrary.h"
#include "oltrex/platform/Clock.h"

namespace oltrex {

// The key page reads the key information into a buffer of this size.
inline constexpr int kKeyPageInfoBuffer = 500;

struct KeyIdentification {
    std::string infoText;     // the key's information text; empty when no key answered
    bool valid = false;       // may be updated ("Weiter" stays visible)
    std::string keySerial;    // characters 10 to 19 of the text
    std::string keyFirmware;  // from the last four characters, e.g. "1.10"
    std::string newFirmware;  // the carried image's version, "1.20"
    std::string pageText;     // the key page's information field
};

// A key text names an OLTREX key of firmware series 1 or 5.
bool isUpdatableKeyText(std::string_view text);
// "0120" at the end -> "1.20"; "1005" -> "10.05".
std::string keyFirmwareFromText(std::string_view text);
// The key's serial: characters 10 to 19 (fewer when the text is shorter).
std::string keySerialFromText(std::string_view text);

// Reads the key information (up to 5 calls, 100 ms apart, while the key gives
// an empty text) and prepares everything the key page shows.
KeyIdentification identifyKey(KeyLibrary& keys, Clock& clock, std::string_view newFirmware);

// "Weiter": reads the key information once more; true when it still names
// the key identified before (its serial occurs at a position above 0).
bool sameKeyStillPlugged(KeyLibrary& keys, const std::string& keySerial);

// A Windows edit-control text as plain lines: "\r\n" breaks the line, a lone
// "\r" or "\n" shows nothing there.
std::string editControlLines(std::string_view text);

}  // namespace oltrex
