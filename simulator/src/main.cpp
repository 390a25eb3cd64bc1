// oltrex-bootsim: the key's boot loader on a pseudo-terminal. Started by the
// simulated key's firmware-update-mode call or by hand. After a valid header
// block and the reboot command it stores the image as firmware.bin in the key
// folder, takes the firmware version from the image's " FW-" label, leaves
// the boot loader (bootloader=0) and exits.
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <system_error>

#include "BootSimOptions.h"
#include "PseudoTerminal.h"
#include "oltrex/bootsim/BootLoader.h"
#include "oltrex/platform/SafeFile.h"
#include "oltrex/simkey/KeyFolder.h"

namespace {

using namespace oltrex::bootsim;

volatile sig_atomic_t gStop = 0;

void onSignal(int) { gStop = 1; }

std::int64_t nowNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

void sleepUntil(std::int64_t deadline) {
    timespec ts{static_cast<time_t>(deadline / 1000000000), static_cast<long>(deadline % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR && !gStop) {
    }
}

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0) return false;
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

// How long the PC may take to read the answer to the reboot command and
// close the line before the simulator ends anyway.
constexpr int kFinalAnswerWaitMs = 5000;

bool storeFirmware(const Options& options, const BootLoader& loader) {
    if (options.keyFolder.empty()) return true;
    const std::filesystem::path folder = options.keyFolder;
    std::error_code ec;
    if (!oltrex::replaceFile(folder / "firmware.bin", loader.image(), ec)) {
        std::fprintf(stderr, "oltrex-bootsim: firmware.bin: %s\n", ec.message().c_str());
        return false;
    }
    std::string error;
    const std::string digits = firmwareLabelDigits(loader.image());
    if (!digits.empty() && !oltrex::simkey::setFirmware(folder, digits, &error)) {
        std::fprintf(stderr, "oltrex-bootsim: key.ini: %s\n", error.c_str());
        return false;
    }
    if (!oltrex::simkey::setBootloader(folder, false, &error)) {
        std::fprintf(stderr, "oltrex-bootsim: key.ini: %s\n", error.c_str());
        return false;
    }
    return true;
}

// Moves bytes between the line and the boot loader until the reboot, a signal
// or the idle time-out. With pacing every byte takes 10 bit times on the line
// and an answer leaves only when the frame and the answer would have crossed it.
int run(const Options& options, PseudoTerminal& pty, BootLoader& loader) {
    const std::int64_t byteNs = options.paceBaud ? 10'000'000'000LL / options.paceBaud : 0;
    std::int64_t lineFreeAt = 0;  // when the PC-to-key line has carried all bytes so far
    std::int64_t idleDeadline = nowNs() + std::int64_t{options.idleTimeoutMs} * 1'000'000;
    std::uint8_t chunk[4096];
    while (!gStop) {
        const std::int64_t left = idleDeadline - nowNs();
        if (left <= 0) {
            if (options.verbose) std::fprintf(stderr, "oltrex-bootsim: idle, exiting\n");
            return 2;
        }
        pollfd p{pty.master(), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<std::int64_t>(left / 1'000'000 + 1, 1000)));
        if (ready < 0 && errno != EINTR) return 1;
        if (ready <= 0) continue;
        const ssize_t n = ::read(pty.master(), chunk, sizeof chunk);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            ::poll(nullptr, 0, 10);  // no PC on the line right now
            continue;
        }
        const std::int64_t arrived = nowNs();
        idleDeadline = arrived + std::int64_t{options.idleTimeoutMs} * 1'000'000;
        for (ssize_t i = 0; i < n; ++i) {
            if (byteNs) lineFreeAt = std::max(lineFreeAt, arrived) + byteNs;
            auto result = loader.feed(chunk[i]);
            if (!result) continue;
            if (options.verbose) {
                std::fprintf(stderr, "oltrex-bootsim: frame %u: %s -> %s\n", result->number,
                             result->note.c_str(),
                             result->answerCode ? (*result->answerCode == 0x06 ? "ACK" : "NACK/other")
                                                : "no answer");
            }
            if (loader.rebooted()) pty.forgetCloses();
            if (result->answerCode) {
                if (byteNs) {
                    lineFreeAt += byteNs * static_cast<std::int64_t>(result->answerLine.size());
                    sleepUntil(lineFreeAt);
                }
                writeAll(pty.master(), result->answerLine);
            }
            if (loader.rebooted()) {
                // The answer is lost if the line goes away before the PC read it.
                if (result->answerCode) pty.waitForClose(kFinalAnswerWaitMs);
                return storeFirmware(options, loader) ? 0 : 1;
            }
        }
    }
    return 3;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "oltrex-bootsim: %s\n%s", error.c_str(), usageText());
        return 64;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    PseudoTerminal pty;
    if (!pty.open(error) || !pty.publish(options.link, error)) {
        std::fprintf(stderr, "oltrex-bootsim: %s\n", error.c_str());
        return 1;
    }
    if (options.verbose) {
        std::fprintf(stderr, "oltrex-bootsim: %s -> %s\n", options.link.c_str(), pty.slavePath().c_str());
    }
    BootLoader loader(options.faults);
    const int status = run(options, pty, loader);
    pty.unpublish();
    return status;
}
