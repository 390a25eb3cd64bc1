#pragma once
// The SD-card import without a window: the drive question on the terminal and
// the closing message printed.
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "oltrex/drives/DriveScanner.h"
#include "oltrex/keyfetch/ContainerStore.h"
#include "oltrex/platform/Clock.h"
#include "oltrex/platform/Settings.h"
#include "oltrex/sdimport/DriveChooser.h"

namespace oltrex {

// The chooser's question on a terminal: the drives numbered, the first one
// preselected. An empty answer takes the selection, a number picks a drive,
// "a" or the end of input cancels.
class ConsoleDriveChooser final : public DriveChooser {
public:
    ConsoleDriveChooser(std::istream& in, std::ostream& out, DriveSources sources);
    bool chooseDrive(std::string& rootText) override;

private:
    std::istream& in_;
    std::ostream& out_;
    DriveSources sources_;
};

struct ConsoleSdImportOptions {
    DriveSources drives;                    // default: the machine's mount table
    std::optional<std::string> mountPoint;  // named on the command line: no scan, no question
    bool makeEuFile = false;                // "DDD-Datei erstellen"
    int firmwareNumber = 0;                 // without a key: 0
};

// Exit codes of runConsoleSdImport.
inline constexpr int kSdImportContainersMade = 0;
inline constexpr int kSdImportNothingFound = 1;
inline constexpr int kSdImportCancelled = 2;
inline constexpr int kSdImportFilesKept = 4;  // a file could not be filed whole and was kept

// Runs the import, asking on `in`/`out` when no removable drive is present,
// and prints a line for each file that could not be filed whole (where it is
// kept) and the closing message to `out`.
int runConsoleSdImport(ContainerStore& store, Clock& clock, const std::filesystem::path& workFolder,
                       const ConsoleSdImportOptions& options, std::istream& in, std::ostream& out);

// The same for a program's main: files through a container store of its own
// over the given key library, settings and work folder. The key library is
// never asked to delete anything.
struct ConsoleSdImportEnvironment {
    KeyLibrary& key;
    const SettingsStore& settings;
    Clock& clock;
    std::filesystem::path workFolder;  // KeyFetch's fresh private folder
    std::string cipherLibrary;         // empty: the cipher library's own name
};
int runConsoleSdImport(const ConsoleSdImportEnvironment& env, const ConsoleSdImportOptions& options,
                       std::istream& in, std::ostream& out);

}  // namespace oltrex
