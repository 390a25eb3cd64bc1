#pragma once
// What KeyFetch reads from the key information text, e.g.
// " StickID: OX0012345678 FW-0120".
#include <string>
#include <string_view>

namespace oltrex {

// The 4 characters behind the first "FW-"; empty when there is no "FW-".
std::string displayFirmware(std::string_view keyInfo);
// The 10 characters that start 11 characters after the first "StickID: "
// (the key number without its series); empty when there is no "StickID: ".
std::string displayKeyNumber(std::string_view keyInfo);
// The key identity's series: the characters at positions 10-11.
std::string keySeries(std::string_view keyInfo);
// The decimal value of the last 4 characters of the text.
int keyFirmwareNumber(std::string_view keyInfo);

// Secure mode is needed for every series but "OX", and for "OX" keys with a
// firmware number in 800-999.
bool needsSecureMode(std::string_view series, int firmware);

// Leading decimal digits as a number (after optional spaces and sign), 0 when
// there are none; the way the key's texts have always been read.
int decimalValue(std::string_view text);

}  // namespace oltrex
