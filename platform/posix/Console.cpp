#include "oltrex/platform/Console.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdint>
#include <thread>

namespace oltrex {
namespace {

// The signal thread: Ctrl-C, termination and hang-up arrive on a signalfd;
// an eventfd ends the thread.
struct InterruptState {
    std::function<void()> onStop;
    sigset_t previousMask{};
    int signalFd = -1;
    int quitFd = -1;
    std::thread thread;
};

InterruptState* current = nullptr;

void watch(InterruptState& s) {
    for (;;) {
        pollfd fds[2] = {{s.signalFd, POLLIN, 0}, {s.quitFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents & POLLIN) return;
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(s.signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) s.onStop();
        }
    }
}

}  // namespace

void prepareConsoleOutput() {}

void releaseOwnConsole() {}

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

int terminalColumns(std::FILE* stream, int fallback) {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return fallback;
}

ConsoleInterrupt::ConsoleInterrupt(std::function<void()> onStop) {
    if (current != nullptr) return;  // one at a time
    auto* s = new InterruptState;
    s->onStop = std::move(onStop);
    // Blocked here, the signals stay blocked in every thread started later and
    // reach the program only through the signalfd.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, &s->previousMask);
    s->signalFd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);
    s->quitFd = ::eventfd(0, EFD_CLOEXEC);
    if (s->signalFd < 0 || s->quitFd < 0) {
        if (s->signalFd >= 0) ::close(s->signalFd);
        if (s->quitFd >= 0) ::close(s->quitFd);
        pthread_sigmask(SIG_SETMASK, &s->previousMask, nullptr);
        delete s;
        return;
    }
    s->thread = std::thread(watch, std::ref(*s));
    current = s;
    active_ = true;
}

ConsoleInterrupt::~ConsoleInterrupt() {
    if (!active_ || current == nullptr) return;
    InterruptState* s = current;
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(s->quitFd, &one, sizeof one);
    s->thread.join();
    ::close(s->signalFd);
    ::close(s->quitFd);
    pthread_sigmask(SIG_SETMASK, &s->previousMask, nullptr);
    current = nullptr;
    delete s;
}

}  // namespace oltrex
