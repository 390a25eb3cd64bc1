#include <string>

#include "WideText.h"
#include "oltrex/platform/Settings.h"

namespace oltrex {
namespace {

// A value cut to the programs' buffer, at a character boundary.
std::string capped(std::string value) {
    if (value.size() <= kMaxSettingValue) return value;
    std::size_t end = kMaxSettingValue;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
    value.resize(end);
    return value;
}

}  // namespace

SettingResult RegistrySettings::read(std::string_view keyPath, std::string_view name) const {
    HKEY key = nullptr;
    const std::wstring path = win32::wideFromUtf8(keyPath);
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) !=
        ERROR_SUCCESS) {
        return {SettingStatus::NoSection, {}};
    }
    const std::wstring valueName = win32::wideFromUtf8(name);
    SettingResult result{SettingStatus::NoValue, {}};
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (::RegQueryValueExW(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                               &got) == ERROR_SUCCESS) {
            text.resize(got / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0') text.pop_back();
            result = {SettingStatus::Ok, capped(win32::utf8FromWide(text))};
        }
    }
    ::RegCloseKey(key);
    return result;
}

const SettingsStore& machineSettings() {
    static const RegistrySettings settings;
    return settings;
}

}  // namespace oltrex
