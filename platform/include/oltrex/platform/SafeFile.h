#pragma once
// File helpers that keep data safe: whole-file reads and writes, and
// replacing a file by writing a new one, syncing it and renaming it over.
// Syncing is fsync here; FlushFileBuffers and MOVEFILE_WRITE_THROUGH on Windows.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace oltrex {

using Bytes = std::vector<std::uint8_t>;

// Reads a whole file; false (and ec) when it cannot be opened or read.
bool readWholeFile(const std::filesystem::path& path, Bytes& out, std::error_code& ec);

// Writes a whole file in place (create or truncate), flushed and fsynced.
bool writeWholeFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size,
                    std::error_code& ec);
inline bool writeWholeFile(const std::filesystem::path& path, const Bytes& data, std::error_code& ec) {
    return writeWholeFile(path, data.data(), data.size(), ec);
}

// Replaces (or creates) `path`: writes a new file beside it, flushes and
// fsyncs it, renames it over `path` and fsyncs the folder. The new file keeps
// the permissions of the old one (a new name gets 0600). On failure the old
// file is untouched and no temporary file is left behind.
bool replaceFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size,
                 std::error_code& ec);
inline bool replaceFile(const std::filesystem::path& path, const Bytes& data, std::error_code& ec) {
    return replaceFile(path, data.data(), data.size(), ec);
}

// Creates `path` only when no file of that name exists (O_EXCL), writes,
// syncs the file and its folder. Never overwrites.
bool createNewFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size,
                   std::error_code& ec);

// fsync of a folder, so that a rename or create in it survives a crash.
// (On Windows the renames write through and this does nothing.)
bool syncFolder(const std::filesystem::path& folder, std::error_code& ec);

// Flushes an existing file's data to disk.
bool syncFile(const std::filesystem::path& path, std::error_code& ec);

// Renames `from` to `to` unless `to` exists; then false with
// std::errc::file_exists in `ec`, and nothing is moved.
bool moveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                          std::error_code& ec);

// Copies a file; an existing `to` is replaced only when `overwrite` is set.
// (std::filesystem::copy_file cannot replace a file on Windows with GCC 12.)
bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite,
              std::error_code& ec);

// Opens a file with a C stdio mode ("rb", "ab", ...); the path may hold any characters.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// Removes a regular file at `path` (never a link or folder, nor another
// user's file) and creates the file anew, exclusively and private to the
// user, opened for binary writing. nullptr when any of that fails.
std::FILE* createFreshFile(const std::filesystem::path& path);

// A new file that this process created exclusively under a unique name and
// writes to. The destructor closes it; it never removes it.
class ExclusiveFile {
public:
    ExclusiveFile() = default;
    ~ExclusiveFile() { close(); }
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    // Creates `folder`/prefix + unique part + suffix: readable by the user
    // only, or, when `shared`, with the usual permissions of new files (Linux:
    // 0666 less the umask; Windows: those the folder passes on in both cases).
    bool createUnique(const std::filesystem::path& folder, const std::string& prefix,
                      const std::string& suffix, std::error_code& ec, bool shared = false);
    bool write(const std::uint8_t* data, std::size_t size, std::error_code& ec);
    // Flushes the data to disk and closes the file.
    bool syncAndClose(std::error_code& ec);
    void close();
    bool isOpen() const { return handle_ != kNone; }
    const std::filesystem::path& path() const { return path_; }

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;  // file descriptor, or the file handle on Windows
    std::filesystem::path path_;
};

}  // namespace oltrex
