#pragma once
// Where the programs keep their files.
#include <filesystem>
#include <string>
#include <system_error>

namespace oltrex {

// $TMPDIR, else /tmp.
std::filesystem::path systemTempFolder();

// Creates a new private folder (mode 0700) inside `parent` whose name starts
// with `prefix`. The folder is always new: it never reuses an existing one.
// Returns an empty path and sets `ec` on failure.
std::filesystem::path createPrivateFolder(const std::filesystem::path& parent,
                                          const std::string& prefix, std::error_code& ec);

// KeyFetch's work folder: a fresh private folder in the system temporary folder.
std::filesystem::path createWorkFolder(std::error_code& ec);

// $OLTREX_DATA_DIR, else /var/lib/oltrex when writable, else
// $XDG_STATE_HOME/oltrex (default ~/.local/state/oltrex). Not created here.
std::filesystem::path programDataFolder();

// $XDG_RUNTIME_DIR, else the system temporary folder (for lock files).
std::filesystem::path runtimeFolder();

}  // namespace oltrex
