#include "oltrex/keyfetch/KeyInfo.h"

#include <cctype>

namespace oltrex {

std::string displayFirmware(std::string_view keyInfo) {
    const auto at = keyInfo.find("FW-");
    if (at == std::string_view::npos) return {};
    return std::string(keyInfo.substr(at + 3, 4));
}

std::string displayKeyNumber(std::string_view keyInfo) {
    const auto at = keyInfo.find("StickID: ");
    if (at == std::string_view::npos || at + 11 > keyInfo.size()) return {};
    return std::string(keyInfo.substr(at + 11, 10));
}

std::string keySeries(std::string_view keyInfo) {
    if (keyInfo.size() <= 10) return {};
    return std::string(keyInfo.substr(10, 2));
}

int keyFirmwareNumber(std::string_view keyInfo) {
    return decimalValue(keyInfo.size() > 4 ? keyInfo.substr(keyInfo.size() - 4) : keyInfo);
}

bool needsSecureMode(std::string_view series, int firmware) {
    return series != "OX" || (firmware >= 800 && firmware <= 999);
}

int decimalValue(std::string_view text) {
    std::size_t p = 0;
    while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    long long value = 0;
    for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p) {
        value = value * 10 + (text[p] - '0');
        if (value > 1000000000) break;  // the key's numbers have at most a few digits
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace oltrex
