#include "oltrex/platform/Settings.h"

#include <fstream>

namespace oltrex {
namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Registry key paths and value names compare without regard to case.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string capped(std::string_view value) {
    return std::string(value.substr(0, kMaxSettingValue));
}

}  // namespace

SettingResult IniSettings::read(std::string_view keyPath, std::string_view name) const {
    std::ifstream in(file_, std::ios::binary);
    if (!in) return {SettingStatus::NoFile, {}};

    bool inSection = false;
    bool sectionSeen = false;
    std::string line;
    while (std::getline(in, line)) {
        std::string_view text = trimmed(line);
        if (text.empty() || text.front() == ';' || text.front() == '#') continue;
        if (text.front() == '[') {
            auto close = text.rfind(']');
            std::string_view section = close == std::string_view::npos ? text.substr(1)
                                                                       : text.substr(1, close - 1);
            inSection = sameName(trimmed(section), keyPath);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) continue;
        auto eq = text.find('=');
        if (eq == std::string_view::npos) continue;
        if (sameName(trimmed(text.substr(0, eq)), name)) {
            // The value is taken as written after '=' (leading blanks dropped, trailing
            // ones kept), so that "BEH " stays distinguishable from "BEH".
            std::string_view raw = line;
            if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
            std::string_view rawValue = raw.substr(raw.find('=') + 1);
            while (!rawValue.empty() && (rawValue.front() == ' ' || rawValue.front() == '\t'))
                rawValue.remove_prefix(1);
            return {SettingStatus::Ok, capped(rawValue)};
        }
    }
    return {sectionSeen ? SettingStatus::NoValue : SettingStatus::NoSection, {}};
}

SettingResult MemorySettings::read(std::string_view keyPath, std::string_view name) const {
    for (const auto& [path, values] : keys_) {
        if (!sameName(path, keyPath)) continue;
        for (const auto& [valueName, value] : values) {
            if (sameName(valueName, name)) return {SettingStatus::Ok, capped(value)};
        }
        return {SettingStatus::NoValue, {}};
    }
    return {SettingStatus::NoSection, {}};
}

}  // namespace oltrex
