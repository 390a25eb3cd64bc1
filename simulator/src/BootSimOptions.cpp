#include "BootSimOptions.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace oltrex::bootsim {
namespace {

bool parseNumber(const std::string& text, std::uint32_t& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (*end != '\0' || value > 0xFFFFFFFFul) return false;
    out = static_cast<std::uint32_t>(value);
    return true;
}

// "3" or "3,17,90": frame numbers from 1 on.
bool parseFrameList(const std::string& text, std::set<std::uint32_t>& out) {
    std::istringstream in(text);
    std::string item;
    bool any = false;
    while (std::getline(in, item, ',')) {
        std::uint32_t k = 0;
        if (!parseNumber(item, k) || k == 0) return false;
        out.insert(k);
        any = true;
    }
    return any;
}

// "MS" (every answer) or "MS@K[,K...]" (the answers to those frames).
bool parseDelay(const std::string& text, Faults& faults) {
    const std::size_t at = text.find('@');
    std::uint32_t ms = 0;
    if (!parseNumber(text.substr(0, at), ms) || ms == 0 || ms > 600000) return false;
    if (at == std::string::npos) {
        faults.delayEveryMs = ms;
        return true;
    }
    std::set<std::uint32_t> frames;
    if (!parseFrameList(text.substr(at + 1), frames)) return false;
    for (const std::uint32_t k : frames) faults.delayMs[k] = ms;
    return true;
}

// "K:POS": frame K from 1 on, POS from 0 (the answer's opening byte) on.
bool parseCorrupt(const std::string& text, Faults& faults) {
    const std::size_t colon = text.find(':');
    std::uint32_t frame = 0, position = 0;
    if (colon == std::string::npos || !parseNumber(text.substr(0, colon), frame) || frame == 0 ||
        !parseNumber(text.substr(colon + 1), position) || position > 1024) {
        return false;
    }
    faults.corrupt.insert({frame, position});
    return true;
}

}  // namespace

const char* usageText() {
    return "usage: oltrex-bootsim [--key FOLDER] [--link PATH] [--pace [BAUD]]\n"
           "                      [--drop K[,K...]] [--nack K[,K...]] [--unknown K[,K...]]\n"
           "                      [--silent-from K] [--delay MS[@K[,K...]]] [--corrupt K:POS]\n"
           "                      [--any-line] [--idle-timeout SECONDS] [--verbose]\n"
           "Simulates the key's boot loader on a pseudo-terminal whose slave is published\n"
           "as a symbolic link at PATH (default $OLTREX_FTDI_PORT). Frames count from 1,\n"
           "answer byte positions from 0 (the opening byte). Bytes arriving while the line\n"
           "is not set to 115200 baud 8N1 raw without flow control are ignored, unless\n"
           "--any-line is given.\n";
}

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    if (const char* env = std::getenv("OLTREX_FTDI_PORT"); env && *env) options.link = env;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0;
        auto value = [&]() -> std::string { return hasValue ? argv[++i] : std::string(); };
        std::uint32_t number = 0;
        if (arg == "--key") {
            options.keyFolder = value();
            if (options.keyFolder.empty()) return error = "--key needs a folder", false;
        } else if (arg == "--link") {
            options.link = value();
            if (options.link.empty()) return error = "--link needs a path", false;
        } else if (arg == "--pace") {
            options.paceBaud = 115200;
            if (hasValue) {
                if (!parseNumber(value(), number) || number == 0) return error = "bad --pace", false;
                options.paceBaud = number;
            }
        } else if (arg == "--drop") {
            if (!parseFrameList(value(), options.faults.dropAnswer)) return error = "bad --drop", false;
        } else if (arg == "--nack") {
            if (!parseFrameList(value(), options.faults.nack)) return error = "bad --nack", false;
        } else if (arg == "--unknown") {
            if (!parseFrameList(value(), options.faults.unknownAnswer)) {
                return error = "bad --unknown", false;
            }
        } else if (arg == "--silent-from") {
            if (!parseNumber(value(), number) || number == 0) return error = "bad --silent-from", false;
            options.faults.silentFrom = number;
        } else if (arg == "--delay") {
            if (!parseDelay(value(), options.faults)) return error = "bad --delay", false;
        } else if (arg == "--corrupt") {
            if (!parseCorrupt(value(), options.faults)) return error = "bad --corrupt", false;
        } else if (arg == "--any-line") {
            options.checkLine = false;
        } else if (arg == "--idle-timeout") {
            if (!parseNumber(value(), number) || number == 0 || number > 86400) {
                return error = "bad --idle-timeout", false;
            }
            options.idleTimeoutMs = number * 1000;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else {
            error = "unknown argument " + arg;
            return false;
        }
    }
    if (options.link.empty()) {
        error = "no link path: give --link or set OLTREX_FTDI_PORT";
        return false;
    }
    return true;
}

}  // namespace oltrex::bootsim
