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

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <system_error>

#include "BootSimOptions.h"
#include "LineSettings.h"
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

// An answer on its way to the PC: it leaves when it is due.
struct PendingAnswer {
    std::int64_t dueNs = 0;
    std::vector<std::uint8_t> line;
};

// Moves bytes between the line and the boot loader until the reboot, a signal
// or the idle time-out. With pacing every byte takes 10 bit times on the line
// and an answer leaves only when the frame and the answer would have crossed
// it; a delayed answer leaves so much later, and holds back those after it.
// The boot loader keeps reading the line meanwhile. Bytes that arrive while
// the PC's line settings are not the key's are ignored, as a real key could
// not make sense of them.
int run(const Options& options, PseudoTerminal& pty, BootLoader& loader) {
    const std::int64_t byteNs = options.paceBaud ? 10'000'000'000LL / options.paceBaud : 0;
    std::int64_t lineFreeAt = 0;  // when the PC-to-key line has carried all bytes so far
    std::int64_t idleDeadline = nowNs() + std::int64_t{options.idleTimeoutMs} * 1'000'000;
    std::deque<PendingAnswer> pending;
    bool finishing = false;  // rebooted: the last answer goes out, then the simulator ends
    bool finalAnswer = false;  // the reboot command is answered
    std::string lineProblem;
    std::uint8_t chunk[4096];
    while (!gStop) {
        pty.takeUseEvents();
        std::int64_t now = nowNs();
        while (!pending.empty() && pending.front().dueNs <= now) {
            writeAll(pty.master(), pending.front().line);
            pending.pop_front();
        }
        if (finishing && pending.empty()) {
            // The answer is lost if the line goes away before the PC read it.
            if (finalAnswer) pty.waitUntilUnused(kFinalAnswerWaitMs);
            return storeFirmware(options, loader) ? 0 : 1;
        }
        if (pending.empty() && idleDeadline <= now) {
            if (options.verbose) std::fprintf(stderr, "oltrex-bootsim: idle, exiting\n");
            return 2;
        }
        std::int64_t waitNs = pending.empty() ? idleDeadline - now : pending.front().dueNs - now;
        waitNs = std::min<std::int64_t>(waitNs, 1'000'000'000);
        pollfd p[2] = {{pty.master(), finishing ? short(0) : short(POLLIN), 0}, {pty.useEvents(), POLLIN, 0}};
        const int ready = ::poll(p, 2, static_cast<int>((waitNs + 999'999) / 1'000'000));
        if (ready < 0 && errno != EINTR) return 1;
        if (ready <= 0) continue;
        if (!(p[0].revents & POLLIN)) {
            if (p[0].revents & (POLLHUP | POLLERR)) ::poll(nullptr, 0, 10);  // no PC on the line right now
            continue;
        }
        const ssize_t n = ::read(pty.master(), chunk, sizeof chunk);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            ::poll(nullptr, 0, 10);  // no PC on the line right now
            continue;
        }
        const std::int64_t arrived = nowNs();
        idleDeadline = arrived + std::int64_t{options.idleTimeoutMs} * 1'000'000;
        if (options.checkLine) {
            const std::string problem = lineSettingsProblem(pty.master());
            if (!problem.empty()) {
                if (problem != lineProblem) {
                    std::fprintf(stderr,
                                 "oltrex-bootsim: the line is not set to 115200 baud 8N1 raw without flow "
                                 "control (%s): bytes ignored, no answer\n",
                                 problem.c_str());
                }
                lineProblem = problem;
                continue;
            }
            lineProblem.clear();
        }
        for (ssize_t i = 0; i < n && !finishing; ++i) {
            if (byteNs) lineFreeAt = std::max(lineFreeAt, arrived) + byteNs;
            auto result = loader.feed(chunk[i]);
            if (!result) continue;
            if (options.verbose) {
                std::fprintf(stderr, "oltrex-bootsim: frame %u: %s -> %s\n", result->number,
                             result->note.c_str(),
                             result->answerCode ? (*result->answerCode == kAck ? "ACK" : "NACK/other")
                                                : "no answer");
            }
            if (result->answerCode) {
                PendingAnswer answer;
                answer.dueNs = arrived;
                if (byteNs) {
                    lineFreeAt += byteNs * static_cast<std::int64_t>(result->answerLine.size());
                    answer.dueNs = lineFreeAt;
                }
                answer.dueNs += std::int64_t{result->delayMs} * 1'000'000;
                if (!pending.empty()) answer.dueNs = std::max(answer.dueNs, pending.back().dueNs);
                lineFreeAt = std::max(lineFreeAt, answer.dueNs);
                answer.line = std::move(result->answerLine);
                pending.push_back(std::move(answer));
            }
            finishing = loader.rebooted();
            finalAnswer = finishing && result->answerCode.has_value();
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
