#include "oltrex/platform/SafeFile.h"

#include <atomic>
#include <random>
#include <string>

#include "WideText.h"
#include "oltrex/platform/Process.h"

namespace oltrex {
namespace fs = std::filesystem;

namespace {

using win32::Handle;
using win32::lastError;

// Shared reading, writing and deleting, so that the file behaves as on Linux.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE openForWriting(const fs::path& path, DWORD disposition) {
    return ::CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

bool writeAll(HANDLE file, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, data, piece, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool writeFlushClose(Handle& file, const std::uint8_t* data, std::size_t size, std::error_code& ec) {
    bool ok = writeAll(file.get(), data, size) && ::FlushFileBuffers(file.get());
    if (!ok) ec = lastError();
    if (!::CloseHandle(file.release()) && ok) {
        ec = lastError();
        ok = false;
    }
    return ok;
}

std::wstring uniquePart() {
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 random{std::random_device{}()};
    return std::to_wstring(currentProcessId()) + L"-" + std::to_wstring(counter++) + L"-" +
           std::to_wstring(random() % 100000u);
}

}  // namespace

bool readWholeFile(const fs::path& path, Bytes& out, std::error_code& ec) {
    ec.clear();
    out.clear();
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        ec = lastError();
        return false;
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0)
        out.reserve(static_cast<std::size_t>(size.QuadPart));
    std::uint8_t buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            ec = lastError();
            return false;
        }
        if (got == 0) break;
        out.insert(out.end(), buffer, buffer + got);
    }
    return true;
}

bool writeWholeFile(const fs::path& path, const std::uint8_t* data, std::size_t size, std::error_code& ec) {
    ec.clear();
    Handle file(openForWriting(path, CREATE_ALWAYS));
    if (!file.valid()) {
        ec = lastError();
        return false;
    }
    return writeFlushClose(file, data, size, ec);
}

bool syncFolder(const fs::path&, std::error_code& ec) {
    // Renames and creations are written through (MOVEFILE_WRITE_THROUGH, the
    // journal of the file system); Windows has no flush of a folder.
    ec.clear();
    return true;
}

bool syncFile(const fs::path& path, std::error_code& ec) {
    ec.clear();
    // FlushFileBuffers needs write access to the file.
    Handle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || !::FlushFileBuffers(file.get())) {
        ec = lastError();
        return false;
    }
    return true;
}

bool replaceFile(const fs::path& path, const std::uint8_t* data, std::size_t size, std::error_code& ec) {
    ec.clear();
    fs::path temp;
    Handle file;
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp = path;
        temp += L".new-" + uniquePart();
        file.reset(openForWriting(temp, CREATE_NEW));
        if (file.valid() || ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (!file.valid()) {
        ec = lastError();
        return false;
    }
    if (!writeFlushClose(file, data, size, ec)) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    if (!::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ec = lastError();
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool createNewFile(const fs::path& path, const std::uint8_t* data, std::size_t size, std::error_code& ec) {
    ec.clear();
    Handle file(openForWriting(path, CREATE_NEW));
    if (!file.valid()) {
        ec = lastError();
        return false;
    }
    if (!writeFlushClose(file, data, size, ec)) {
        ::DeleteFileW(path.c_str());
        return false;
    }
    return true;
}

bool moveWithoutReplacing(const fs::path& from, const fs::path& to, std::error_code& ec) {
    ec.clear();
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = ::GetLastError();
    ec = (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
             ? std::make_error_code(std::errc::file_exists)
             : std::error_code(static_cast<int>(error), std::system_category());
    return false;
}

bool copyFile(const fs::path& from, const fs::path& to, bool overwrite, std::error_code& ec) {
    ec.clear();
    if (::CopyFileW(from.c_str(), to.c_str(), overwrite ? FALSE : TRUE)) return true;
    const DWORD error = ::GetLastError();
    ec = (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
             ? std::make_error_code(std::errc::file_exists)
             : std::error_code(static_cast<int>(error), std::system_category());
    return false;
}

std::FILE* openFile(const fs::path& path, const char* mode) {
    const std::wstring wideMode = win32::wideFromUtf8(mode);
    return ::_wfopen(path.c_str(), wideMode.c_str());
}

std::FILE* createFreshFile(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return nullptr;
        if (!::DeleteFileW(path.c_str())) return nullptr;
    }
    // New, never through a link; the folder's access list (the user's temporary
    // folder) keeps it private. While this handle is open nobody can delete or
    // rename the new file, so the stream below opens this very file.
    Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) return nullptr;
    return ::_wfopen(path.c_str(), L"wb");
}

bool ExclusiveFile::createUnique(const fs::path& folder, const std::string& prefix, const std::string& suffix,
                                 std::error_code& ec, bool shared) {
    (void)shared;  // new files take the access list the folder passes on
    close();
    ec.clear();
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = folder / (win32::wideFromUtf8(prefix) + uniquePart() + win32::wideFromUtf8(suffix));
        HANDLE file = openForWriting(path_, CREATE_NEW);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(file);
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    ec = lastError();
    path_.clear();
    return false;
}

bool ExclusiveFile::write(const std::uint8_t* data, std::size_t size, std::error_code& ec) {
    if (handle_ == kNone) {
        ec = std::make_error_code(std::errc::bad_file_descriptor);
        return false;
    }
    if (!writeAll(reinterpret_cast<HANDLE>(handle_), data, size)) {
        ec = lastError();
        return false;
    }
    return true;
}

bool ExclusiveFile::syncAndClose(std::error_code& ec) {
    if (handle_ == kNone) {
        ec = std::make_error_code(std::errc::bad_file_descriptor);
        return false;
    }
    Handle file(reinterpret_cast<HANDLE>(handle_));
    handle_ = kNone;
    bool ok = ::FlushFileBuffers(file.get());
    if (!ok) ec = lastError();
    if (!::CloseHandle(file.release()) && ok) {
        ec = lastError();
        ok = false;
    }
    return ok;
}

void ExclusiveFile::close() {
    if (handle_ != kNone) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = kNone;
}

}  // namespace oltrex
