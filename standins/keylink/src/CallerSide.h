#pragma once
// The caller's side of the key library: the texts it passes and receives, and
// the local file a read writes. Texts are UTF-8 here; on Windows the library
// takes and gives texts in the system's ANSI code page, as the vendor's does.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oltrex::simkey {

// A name or path text from the caller as UTF-8; nullopt when it is no valid text.
std::optional<std::string> textFromCaller(const char* text);
// UTF-8 text as the caller reads it; nullopt when the caller's code page
// cannot hold it (such a name would come back as another name).
std::optional<std::string> textForCaller(std::string_view utf8);

// Writes the local copy in place (the caller named exactly this path), synced
// to disk, never through a link. A file this call created is removed again
// when writing fails. KL_OK or KL_IO_ERROR.
int writeLocalFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace oltrex::simkey
