#include "oltrex/winehost/WineHost.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "oltrex/platform/PathText.h"
#include "oltrex/platform/Process.h"

namespace oltrex::winehost {
namespace {

// Wine's own exports: a heap-allocated Linux path for a Windows path, and
// the other way round.
using UnixFileNameFn = char*(CDECL*)(LPCWSTR);
using DosFileNameFn = WCHAR*(CDECL*)(LPCSTR);

template <class Fn>
Fn wineExport(const char* name) {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)))
                  : nullptr;
}

UnixFileNameFn unixFileName() {
    return wineExport<UnixFileNameFn>("wine_get_unix_file_name");
}

std::wstring wide(std::string_view utf8) {
    return pathFromUtf8(utf8).wstring();
}

// One argument of a command line as the Windows C runtime splits it again.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

}  // namespace

bool underWine() {
    return unixFileName() != nullptr;
}

std::optional<std::string> linuxPathOf(const std::filesystem::path& path) {
    const UnixFileNameFn convert = unixFileName();
    if (!convert) return std::nullopt;
    char* name = convert(std::filesystem::absolute(path).c_str());
    if (!name) return std::nullopt;
    std::string out = name;
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

bool linuxFileExists(const std::string& linuxPath) {
    const auto convert = wineExport<DosFileNameFn>("wine_get_dos_file_name");
    WCHAR* name = convert ? convert(linuxPath.c_str()) : nullptr;
    if (!name) return false;
    const bool exists = GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
    HeapFree(GetProcessHeap(), 0, name);
    return exists;
}

std::optional<std::string> comPortLinkPath(std::string_view port) {
    std::string name(port);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const bool comPort =
        name.size() > 3 && name.rfind("com", 0) == 0 &&
        std::all_of(name.begin() + 3, name.end(), [](unsigned char c) { return std::isdigit(c); });
    if (!comPort || !underWine()) return std::nullopt;
    std::string prefix = environmentValue("WINEPREFIX").value_or("");
    if (prefix.empty()) {
        const auto home = environmentValue("HOME");
        if (!home) return std::nullopt;
        prefix = *home + "/.wine";
    }
    return prefix + "/dosdevices/" + name;
}

bool startLinuxProgram(const std::vector<std::string>& args) {
    if (args.empty() || !underWine()) return false;
    std::wstring commandLine;
    for (const auto& arg : args) {
        if (!commandLine.empty()) commandLine += L' ';
        commandLine += quoted(wide(arg));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    return true;
}

bool comPortOpens(std::string_view port) {
    const std::wstring device = L"\\\\.\\" + wide(port);
    const HANDLE file = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

}  // namespace oltrex::winehost
