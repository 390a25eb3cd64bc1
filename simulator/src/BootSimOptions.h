#pragma once
// Command line of oltrex-bootsim.
#include <cstdint>
#include <string>

#include "oltrex/bootsim/BootLoader.h"

namespace oltrex::bootsim {

struct Options {
    std::string keyFolder;       // --key: where firmware.bin and key.ini are updated
    std::string link;            // --link, else $OLTREX_FTDI_PORT
    std::uint32_t paceBaud = 0;  // --pace [BAUD]: 10 bits a byte on the line (0 = no pacing)
    Faults faults;               // --drop, --nack, --unknown, --silent-from, --delay, --corrupt
    std::uint32_t idleTimeoutMs = 60000;  // --idle-timeout SECONDS: exit when idle so long
    bool verbose = false;                 // --verbose: one line per frame on standard error
    bool checkLine = true;                // --any-line: no check of the PC's line settings
};

// Parses argv; false with a message in `error` on a bad command line.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

const char* usageText();

}  // namespace oltrex::bootsim
