#include "CallerSide.h"

#include <windows.h>

#include "KeyLinkResult.h"

namespace oltrex::simkey {
namespace {

std::optional<std::wstring> wideText(const char* text, UINT codePage) {
    const int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, -1, out.data(), size);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

// `usedDefault` is only allowed for code pages other than UTF-8.
std::optional<std::string> narrowText(const std::wstring& text, UINT codePage) {
    BOOL lossy = FALSE;
    BOOL* lossyPtr = codePage == CP_UTF8 ? nullptr : &lossy;
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int size =
        WideCharToMultiByte(codePage, flags, text.c_str(), -1, nullptr, 0, nullptr, lossyPtr);
    if (size <= 0 || lossy) return std::nullopt;
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

}  // namespace

std::optional<std::string> textFromCaller(const char* text) {
    const auto wide = wideText(text, CP_ACP);
    if (!wide) return std::nullopt;
    return narrowText(*wide, CP_UTF8);
}

std::optional<std::string> textForCaller(std::string_view utf8) {
    const auto wide = wideText(std::string(utf8).c_str(), CP_UTF8);
    if (!wide) return std::nullopt;
    return narrowText(*wide, CP_ACP);
}

int writeLocalFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself instead of its target,
    // and a link is then refused.
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    bool created = true;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kFlags, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
        created = false;
        file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, kFlags, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        if (file != INVALID_HANDLE_VALUE &&
            (!GetFileInformationByHandle(file, &info) ||
             (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) !=
                 0 ||
             !SetEndOfFile(file))) {
            CloseHandle(file);
            return KL_IO_ERROR;
        }
    }
    if (file == INVALID_HANDLE_VALUE) return KL_IO_ERROR;
    const std::uint8_t* data = bytes.data();
    std::size_t left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        const DWORD piece = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD written = 0;
        ok = WriteFile(file, data, piece, &written, nullptr) && written > 0;
        data += written;
        left -= written;
    }
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (!ok) {
        if (created) DeleteFileW(path.c_str());
        return KL_IO_ERROR;
    }
    return KL_OK;
}

}  // namespace oltrex::simkey
