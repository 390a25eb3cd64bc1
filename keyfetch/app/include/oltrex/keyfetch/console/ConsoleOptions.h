#pragma once
// Command line of the KeyFetch program and its console front end.
#include <cstdint>
#include <optional>
#include <string>

namespace oltrex::console {

enum class DisplayStyle { Auto, Bar, Lines };

struct ConsoleOptions {
    bool headless = false;           // --headless: the console front end even where a window exists
    bool start = false;              // --start: press "Start" as soon as it would be enabled
    std::optional<bool> makeEuFile;  // --make-eu / --no-make-eu; unset: the "MakeEU" setting
    std::uint32_t tickMs = 1000;     // --tick-ms: the poller's tick
    std::optional<unsigned> waitSeconds;  // --wait-seconds: give up when no download began by then
    bool trace = false;                   // --trace: trace lines to standard error
    DisplayStyle display = DisplayStyle::Auto;  // --display=auto|bar|lines
    bool sdImport = false;                // --sd-import: import an SD card instead of the key
    std::optional<std::string> sdMountPoint;  // --sd-import=FOLDER: that card, no drive question
    bool help = false;
    bool version = false;
};

// Exit statuses of the program.
inline constexpr int kExitAllFiled = 0;    // every listed file was filed (or none was listed)
inline constexpr int kExitFilesLeft = 1;   // the download ended with files left on the key
inline constexpr int kExitUsage = 2;       // wrong command line or no work folder
inline constexpr int kExitNoDownload = 3;  // stopped or given up before a download began
// Every listed file was handled, but not all of one could be filed: its key
// file is kept in the container folder's "Unvollstaendig" subfolder.
inline constexpr int kExitFilesKept = 4;

// false with a message in `error` for an unknown option or a bad value.
bool parseConsoleOptions(int argc, const char* const* argv, ConsoleOptions& options,
                         std::string& error);

std::string consoleHelpText();

}  // namespace oltrex::console
