#include "oltrex/platform/Process.h"

#include <cstdlib>

#include "WideText.h"

namespace oltrex {

unsigned long currentProcessId() { return ::GetCurrentProcessId(); }

std::optional<std::string> environmentValue(const char* name) {
    const std::wstring wideName = win32::wideFromUtf8(name);
    const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) {
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();
    }
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    value.resize(length);
    return win32::utf8FromWide(value);
}

void setEnvironmentValue(const char* name, const std::optional<std::string>& value) {
    // Through the C library, so that getenv() sees the change as well.
    const std::wstring wideName = win32::wideFromUtf8(name);
    const std::wstring wideValue = value ? win32::wideFromUtf8(*value) : std::wstring();
    ::_wputenv_s(wideName.c_str(), wideValue.c_str());
    if (value && value->empty()) ::SetEnvironmentVariableW(wideName.c_str(), L"");
}

}  // namespace oltrex
