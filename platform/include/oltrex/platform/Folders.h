#pragma once
// Where the programs keep their files.
#include <filesystem>
#include <string>
#include <system_error>

namespace oltrex {

// The system temporary folder: GetTempPath on Windows; $TMPDIR, else /tmp.
std::filesystem::path systemTempFolder();

// Creates a new private folder inside `parent` whose name starts with
// `prefix`: only its owner may enter it (mode 0700; on Windows a protected
// access list for the user alone). The folder is always new: it never reuses
// an existing one. Returns an empty path and sets `ec` on failure.
std::filesystem::path createPrivateFolder(const std::filesystem::path& parent,
                                          const std::string& prefix, std::error_code& ec);

// True for a folder made by createPrivateFolder (or as private) that is not
// the shared system temporary folder itself nor a root.
bool isPrivateFolder(const std::filesystem::path& folder);

// KeyFetch's work folder: a fresh private folder in the system temporary folder.
std::filesystem::path createWorkFolder(std::error_code& ec);

// $OLTREX_DATA_DIR, else the machine's program-data folder: on Windows
// CSIDL_COMMON_APPDATA\OLTREX; here /var/lib/oltrex when writable, else
// $XDG_STATE_HOME/oltrex (default ~/.local/state/oltrex). Not created here.
std::filesystem::path programDataFolder();

// $XDG_RUNTIME_DIR, else the system temporary folder (for lock files).
std::filesystem::path runtimeFolder();

// The folder of the running program (where its libraries lie); empty when unknown.
std::filesystem::path programFolder();

}  // namespace oltrex
