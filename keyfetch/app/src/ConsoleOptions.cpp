#include "oltrex/keyfetch/console/ConsoleOptions.h"

#include <charconv>
#include <string_view>

namespace oltrex::console {
namespace {

bool parseNumber(std::string_view text, unsigned long long max, unsigned long long& value) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value <= max;
}

}  // namespace

bool parseConsoleOptions(int argc, const char* const* argv, ConsoleOptions& options,
                         std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        bool hasValue = false;
        if (const auto eq = arg.find('=');
            arg.rfind("--", 0) == 0 && eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue) return true;
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        auto noValue = [&]() -> bool {
            if (hasValue) error = std::string(arg) + " takes no value";
            return !hasValue;
        };

        if (arg == "--headless") {
            if (!noValue()) return false;
            options.headless = true;
        } else if (arg == "--start") {
            if (!noValue()) return false;
            options.start = true;
        } else if (arg == "--make-eu") {
            if (!noValue()) return false;
            options.makeEuFile = true;
        } else if (arg == "--no-make-eu") {
            if (!noValue()) return false;
            options.makeEuFile = false;
        } else if (arg == "--trace") {
            if (!noValue()) return false;
            options.trace = true;
        } else if (arg == "--tick-ms") {
            unsigned long long n = 0;
            if (!takeValue()) return false;
            if (!parseNumber(value, 60000, n) || n == 0) {
                error = "--tick-ms needs a number of milliseconds from 1 to 60000";
                return false;
            }
            options.tickMs = static_cast<std::uint32_t>(n);
        } else if (arg == "--wait-seconds") {
            unsigned long long n = 0;
            if (!takeValue()) return false;
            if (!parseNumber(value, 86400 * 365, n)) {
                error = "--wait-seconds needs a number of seconds";
                return false;
            }
            options.waitSeconds = static_cast<unsigned>(n);
        } else if (arg == "--display") {
            if (!takeValue()) return false;
            if (value == "auto") {
                options.display = DisplayStyle::Auto;
            } else if (value == "bar") {
                options.display = DisplayStyle::Bar;
            } else if (value == "lines") {
                options.display = DisplayStyle::Lines;
            } else {
                error = "--display takes auto, bar or lines";
                return false;
            }
        } else if (arg == "--sd-import") {
            options.sdImport = true;
            if (hasValue) {
                if (value.empty()) {
                    error = "--sd-import= needs the card's mount point";
                    return false;
                }
                options.sdMountPoint = std::string(value);
            }
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else {
            error = "unknown option: " + std::string(arg);
            return false;
        }
    }
    return true;
}

std::string consoleHelpText() {
    return R"(Usage: KeyFetch [options]

Downloads the tachograph files of an OLTREX-Key into download containers.
The key is watched through the key library; once a key is read, its
firmware, key number and the number of files waiting on it are shown.

Options:
  --headless          Run the console front end (also the default when the
                      program has no window).
  --start             Press "Start" as soon as it would be enabled: download
                      every usable file, then end. A key without usable files
                      ends the program at once. Without --start the program
                      only watches the key until Ctrl-C.
  --make-eu           Check "DDD-Datei erstellen": also file an EU download
                      file (.DDD) of every download in the "EU" subfolder.
  --no-make-eu        Leave it unchecked. Default: the "MakeEU" setting.
  --tick-ms N         Step the key session every N milliseconds (default 1000).
  --wait-seconds N    With --start: give up when no download has begun after
                      N seconds (default: wait for a key as long as it takes).
  --display STYLE     auto (default): a progress bar on a terminal, plain
                      lines otherwise; bar; lines.
  --sd-import[=DIR]   Import the container files an OLTREX-Funke left on an SD
                      card ("Einlesen der SD-Karte eines OLTREX-Funkes") and
                      print the closing message. Every removable drive is
                      searched; without one the drives are listed to choose
                      from. =DIR names the card's mount point instead. Nothing
                      is deleted from a key.
  --trace             Write the trace lines to standard error (as does
                      OLTREX_TRACE=1).
  --version           Show the program version.
  -h, --help          Show this help.

Ctrl-C ends the program; a file being downloaded is finished first and the
remaining files stay on the key.

Settings are read from $OLTREX_REGISTRY (else /etc/oltrex/registry.ini):
  [Software\OLTREX\OLTREX-KEY]   NoDelete, MakeEU, Language
  [Software\OLTREX\Tachograph]   ContainerPath, InstTyp
The key library is libkeylink.so; the simulated key reads $OLTREX_KEY.

Exit status:
  0  every listed file was filed (or the key listed none; or watching ended)
  1  the download ended with files left on the key
  2  wrong command line, or no private work folder could be created
  3  no download began (stopped, or --wait-seconds elapsed)
  4  every file was handled, but not all of one could be filed (a block
     without its end marker, bytes that are no block): what could be filed
     is filed, and the key file itself is kept in the container folder's
     subfolder "Unvollstaendig"
With --sd-import: 0 containers were made, 1 nothing usable was found,
2 the drive question was cancelled, 4 a card file could not be filed whole
and is kept in "Unvollstaendig".
)";
}

}  // namespace oltrex::console
