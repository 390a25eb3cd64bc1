#pragma once
// What FwFlasher reads from the key information record that _getSerialNumber
// fills in, e.g. " StickID: OX12345678 FW-0114", by character position:
//   9 to 19   the serial number shown in the main window (" OX12345678")
//   10 on     the key ID shown in the info form ("OX12345678 FW-0114")
//   20 on     the key's firmware label (" FW-0114")
//   24 on     that label's version digits ("0114")
// A record shorter than a position simply yields less text, never a read
// beyond its end.
#include <string>
#include <string_view>

namespace oltrex::fwflasher {

std::string stickSerialText(std::string_view record);
std::string keyIdText(std::string_view record);
std::string stickFirmwareText(std::string_view record);

// Version digits as a number: read from the first character when it is "0",
// else from the character after it; reading stops at the first non-digit.
// "0114" -> 114, "" -> 0.
unsigned versionNumber(std::string_view digits);

// The key's version from the record (0 when the record has no digits there).
unsigned keyVersionNumber(std::string_view record);
// The image's version from its label " FW-0114" (the digits after " FW-").
unsigned imageVersionNumber(std::string_view label);

// The info form's key ID line: "Stick-ID: <key ID>" when the key ID is 10 or
// 18 characters long, else "Stick-ID: ---".
std::string infoKeyIdLine(std::string_view record);

// The record text up to its terminating NUL, never past `size` bytes.
std::string recordFromBuffer(const char* buffer, std::size_t size);

}  // namespace oltrex::fwflasher
