#pragma once
// File helpers that keep data safe: whole-file reads and writes, and
// replacing a file by writing a new one, syncing it and renaming it over.
#include <cstdint>
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
bool syncFolder(const std::filesystem::path& folder, std::error_code& ec);

}  // namespace oltrex
