#pragma once
// Placing a finished product in its folder without ever exposing a partly
// written file under its final name, and tidying the private work folder.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "oltrex/platform/MappedFile.h"

namespace oltrex {

// Writes `data` to a new file beside `path`, syncs it and renames it to
// `path` without replacing anything: when the name was taken meanwhile it is
// numbered again (makeUniquePath) and `path` updated. Syncs the folder.
// The file's bytes are the parts one after another.
bool placeNewFile(std::string& path, const std::vector<std::span<const std::uint8_t>>& parts,
                  std::error_code& ec);

// True for a folder that only this user can enter and that is not the shared
// system temporary folder.
bool isPrivateWorkFolder(const std::filesystem::path& folder);

// Deletes the files in `folder` whose names match the shell pattern ("*" and
// "?"; a leading dot is matched only by a dot; no folders), except the file `keep`.
void removeMatchingFiles(const std::filesystem::path& folder, const char* pattern,
                         const std::filesystem::path& keep = {});

}  // namespace oltrex
