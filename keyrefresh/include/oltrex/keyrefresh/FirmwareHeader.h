#pragma once
// The developer's tool path from a firmware build to the header that carries
// the image into KeyRefresh: version file + S-record image -> "fw.h", wrapped
// into "fw120.h", copied one folder up.
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "oltrex/keyrefresh/SRecordImage.h"

namespace oltrex {

class CWLog;

// The version text of the new firmware with its quote characters may hold at
// most this many characters.
inline constexpr std::size_t kMaxVersionText = 19;

// Finds the first line holding "FIRMWARE" with a quoted text behind it and
// returns that text, quotes included (`#define FIRMWARE "1.20"` -> "1.20" with
// both quotes). 0 when found; -1 empty path; -2 cannot open; -3 not found.
int getFirmWareVersion(const std::string& versionFile, std::string& version,
                       std::ostream& diagnostics = std::cerr);

// The header text for `image` and a quoted `version` (lines end in "\r\n").
std::string firmwareHeaderText(const SRecordImage& image, std::string_view version);

// Writes the header for the last parsed `image`. 0 on success; -1 empty path;
// -2 the header file cannot be created; -3 it cannot be written completely;
// -4 no usable version text (the header file is then left empty).
int GenHeaderFileFromFw(const SRecordImage& image, const std::string& versionFile,
                        const std::string& headerFile, std::ostream& diagnostics = std::cerr);

// The header between "#ifdef  __UPDATE_120__" and "#endif ".
std::string wrappedHeaderText(std::string_view header);

// Folder of the tool path: $OLTREX_FW_DIR when set, else `commandLineFolder`.
std::filesystem::path firmwareHeaderFolder(std::string_view commandLineFolder);

struct MakeFirmwareHeaderResult {
    int parse = kSRecordCannotOpen;  // SRecordImage::parse of "FW_Update.a79"
    int generate = -1;               // GenHeaderFileFromFw, when the parse succeeded
    bool wrapped = false;            // "fw120.h" written with content
    bool copied = false;             // ... and copied to the folder above
    bool ok() const { return parse == 0 && generate == 0 && wrapped && copied; }
};

// The whole tool path on `folder`: log "Make FW 120" (when `log` is given),
// parse "FW_Update.a79" from 0x8000, generate "fw.h" from "fw_version.h",
// wrap "fw.h" into "fw120.h" and copy that to the folder above `folder`.
// As the original path, an existing "fw.h" is wrapped even when this run
// could not regenerate it; the result tells the caller so.
MakeFirmwareHeaderResult makeFirmwareHeader(const std::filesystem::path& folder, CWLog* log,
                                            SRecordImage& image,
                                            std::ostream& diagnostics = std::cerr);

}  // namespace oltrex
