// Text, time and path helpers of the tachograph names.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "oltrex/conversion/ConversionContext.h"
#include "oltrex/conversion/Naming.h"
#include "oltrex/platform/PathText.h"

namespace oltrex {
namespace {

constexpr const char* kNations[55] = {
    "A",  "AL",  "AND", "ARM", "AZ",  "B",   "BG", "BIH", "BY",  "CH",   // 1-10
    "CY", "CZ",  "D",   "DK",  "E",   "EST", "F",  "FIN", "FL",  "FR",   // 11-20
    "UK", "GE",  "GR",  "H",   "HR",  "I",   "IRL", "IS", "KZ",  "L",    // 21-30
    "LT", "LV",  "M",   "MC",  "MD",  "MK",  "N",  "NL",  "P",   "PL",   // 31-40
    "RO", "RSM", "RUS", "S",   "SK",  "SLO", "TM", "TR",  "UA",  "V",    // 41-50
    "YU", "UNK", "EC",  "EUR", "WLD"};                                   // 51-55

bool isUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

int hexValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

bool isNameCharacter(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '-';
}

bool cannotStandInFileName(unsigned char c) {
    switch (c) {
        case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            return true;
        default:
            return c < 0x20 || c == 0x7F;
    }
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

void cleanNameText(std::string& text) {
    for (char& c : text) {
        if (!isNameCharacter(static_cast<unsigned char>(c))) c = '_';
    }
}

void makeFileNameSafe(std::string& text) {
    for (char& c : text) {
        if (cannotStandInFileName(static_cast<unsigned char>(c))) c = '_';
    }
    if (!text.empty() && text.find_first_not_of('.') == std::string::npos) {
        std::fill(text.begin(), text.end(), '_');
    }
}

void trimSpaces(std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, first);
}

std::string takeCharacters(std::span<const std::uint8_t> field) {
    std::string text;
    text.reserve(field.size());
    for (std::uint8_t b : field) text += (b == 0x00 || b == 0xFF) ? ' ' : static_cast<char>(b);
    return text;
}

std::string utf8FromCodePage1252(std::string_view text) {
    // 0x80-0x9F differ from Latin-1; 0x81, 0x8D, 0x8F, 0x90 and 0x9D are unassigned
    // and, like the control characters, become "_".
    static constexpr char16_t k80To9F[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        const char16_t u = b < 0x80 ? b : b < 0xA0 ? k80To9F[b - 0x80] : b;
        if (u < 0x80) {
            out += b < 0x80 ? c : '_';
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string nationText(std::uint8_t code) {
    const auto n = static_cast<std::int8_t>(code);
    if (n <= 0) return "WLD";
    if (n > 55) return "UNK";  // no row in the table
    return kNations[n - 1];
}

std::uint32_t timeFieldValue(const std::uint8_t* field) {
    return (std::uint32_t{field[0]} << 24) | (std::uint32_t{field[1]} << 16) | (std::uint32_t{field[2]} << 8) |
           std::uint32_t{field[3]};
}

bool isValidTimeField(const std::uint8_t* field) {
    return static_cast<std::int32_t>(timeFieldValue(field)) > 0;
}

LocalTime timeFromHexText(std::string_view text, Clock& clock) {
    if (text.size() != 8 || !std::all_of(text.begin(), text.end(), isUpperHexDigit)) return clock.localTime();
    std::uint8_t field[4];
    for (int i = 0; i < 4; ++i) field[i] = static_cast<std::uint8_t>(hexValue(text[2 * i]) * 16 + hexValue(text[2 * i + 1]));
    return timeFieldToTime(field, clock);
}

LocalTime timeFieldToTime(const std::uint8_t* field, Clock& clock) {
    if (!isValidTimeField(field)) return clock.localTime();
    return utcFromEpoch(timeFieldValue(field));
}

std::string formatTimeLong(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04i-%02i-%02i_%02i-%02i-%02i", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string formatTimeShort(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04i%02i%02i_%02i%02i", t.year, t.month, t.day, t.hour, t.minute);
    return text;
}

std::string formatTimeLong(const std::uint8_t* field) {
    return isValidTimeField(field) ? formatTimeLong(utcFromEpoch(timeFieldValue(field))) : std::string();
}

std::string formatTimeShort(const std::uint8_t* field) {
    return isValidTimeField(field) ? formatTimeShort(utcFromEpoch(timeFieldValue(field))) : std::string();
}

int nextCardFileNumber(const SettingsStore& settings) {
    std::string folder;
    const SettingResult value = settings.read(kTachographSettingsPath, "ContainerPath");
    if (value.found()) folder = value.value;
    if (folder.size() >= 2) appendSeparator(folder);

    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path where = folder.empty() ? fs::path(".") : pathFromUtf8(folder);
    int highest = 0;
    for (fs::directory_iterator it(where, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string name = utf8Of(it->path().filename());
        // "cd??????.crd", letter case ignored as the Windows search does.
        if (name.size() != 12 || !equalsIgnoringCase(name.substr(0, 2), "cd") ||
            !equalsIgnoringCase(name.substr(8), ".crd")) {
            continue;
        }
        // The six characters after "cd", read as a decimal number (leading digits).
        int number = 0;
        for (char c : name.substr(2, 6)) {
            if (c < '0' || c > '9') break;
            number = number * 10 + (c - '0');
        }
        highest = std::max(highest, number);
    }
    return highest + 1;
}

void makeUniquePath(std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    auto taken = [&ec](const std::string& p) { return fs::exists(fs::symlink_status(pathFromUtf8(p), ec)); };
    if (!taken(path)) return;
    const PathParts parts = splitPath(path);
    for (int i = 1;; ++i) {
        std::string candidate = parts.folder + parts.base + "[" + std::to_string(i) + "]" + parts.ext;
        if (!taken(candidate)) {
            path = std::move(candidate);
            return;
        }
    }
}

std::string chipSerialText(const std::uint8_t* chip) {
    std::string text;
    char digits[4];
    for (int i = 0; i < 8; ++i) {
        std::snprintf(digits, sizeof digits, "%X", chip[i]);
        text += digits;
    }
    return text;
}

}  // namespace oltrex
