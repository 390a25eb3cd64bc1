#pragma once
// The Linux side of Wine, as the Windows stand-ins and their tests reach it:
// the key's boot-loader simulator is the Linux program oltrex-bootsim, whose
// pseudo-terminal appears to Windows programs as a COM port through a link in
// the Wine prefix ($WINEPREFIX/dosdevices/comN). Nothing here works on a real
// Windows machine; there every call reports failure.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oltrex::winehost {

// True when the program runs under Wine.
bool underWine();

// The Linux path of a Windows path (for instance a key folder handed to a
// Linux program); nullopt outside Wine.
std::optional<std::string> linuxPathOf(const std::filesystem::path& path);

// True when the Linux path names a file or folder; false outside Wine. (Not
// for devices: Wine refuses to look at them, so a COM port is checked by
// opening it.)
bool linuxFileExists(const std::string& linuxPath);

// The Linux path of the link that makes `port` ("COM5") a COM port of the
// running Wine prefix: $WINEPREFIX/dosdevices/com5 ($HOME/.wine without
// WINEPREFIX); nullopt outside Wine or for a name that is no COM port.
std::optional<std::string> comPortLinkPath(std::string_view port);

// Starts a Linux program (args[0] its Linux path) and returns at once. Wine
// gives no handle for it: it must end by itself.
bool startLinuxProgram(const std::vector<std::string>& args);

// True when the COM port can be opened now (it is closed again at once).
bool comPortOpens(std::string_view port);

}  // namespace oltrex::winehost
