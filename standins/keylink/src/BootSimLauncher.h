#pragma once
// Starts the boot-loader simulator when the key enters its boot loader, so
// that the flashing programs find a serial line at $OLTREX_FTDI_PORT.
#include <filesystem>

namespace oltrex::simkey {

// Does nothing (0) when $OLTREX_FTDI_PORT is unset, $OLTREX_BOOTSIM_AUTOSTART
// is "0" or no simulator executable is found. Otherwise runs
//   oltrex-bootsim --key <folder> --link $OLTREX_FTDI_PORT $OLTREX_BOOTSIM_ARGS
// ($OLTREX_BOOTSIM, else the one beside this library) and waits at most 3 s for
// the link: 0 once it exists, negative when the simulator could not be started,
// ended early or did not publish the link in time.
int startBootSimulator(const std::filesystem::path& keyFolder);

}  // namespace oltrex::simkey
