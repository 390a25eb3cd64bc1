#include "oltrex/fwflasher/KeyRecord.h"

#include <cstring>

namespace oltrex::fwflasher {
namespace {

std::string from(std::string_view record, std::size_t position,
                 std::size_t count = std::string_view::npos) {
    if (position >= record.size()) return {};
    return std::string(record.substr(position, count));
}

}  // namespace

std::string stickSerialText(std::string_view record) { return from(record, 9, 11); }
std::string keyIdText(std::string_view record) { return from(record, 10); }
std::string stickFirmwareText(std::string_view record) { return from(record, 20); }

unsigned versionNumber(std::string_view digits) {
    if (digits.empty()) return 0;
    std::size_t at = digits.front() == '0' ? 0 : 1;
    unsigned value = 0;
    // Four digits are expected; more than nine could not be a version.
    for (std::size_t n = 0; at < digits.size() && n < 9; ++at, ++n) {
        const char c = digits[at];
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

unsigned keyVersionNumber(std::string_view record) {
    return record.size() > 24 ? versionNumber(record.substr(24)) : 0;
}

unsigned imageVersionNumber(std::string_view label) {
    return label.size() > 4 ? versionNumber(label.substr(4)) : 0;
}

std::string infoKeyIdLine(std::string_view record) {
    const std::string id = keyIdText(record);
    if (id.size() == 10 || id.size() == 18) return "Stick-ID: " + id;
    return "Stick-ID: ---";
}

std::string recordFromBuffer(const char* buffer, std::size_t size) {
    const void* end = std::memchr(buffer, '\0', size);
    return std::string(buffer, end ? static_cast<const char*>(end) - buffer : size);
}

}  // namespace oltrex::fwflasher
