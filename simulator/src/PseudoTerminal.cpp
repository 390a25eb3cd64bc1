#include "PseudoTerminal.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace oltrex::bootsim {
namespace {

std::string linkTarget(const std::string& path) {
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
    unpublish();
    if (uses_ >= 0) ::close(uses_);
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

bool PseudoTerminal::open(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[256];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0 || ::tcgetattr(slave_, &initial_) != 0) {
        error = std::string("slave ") + name + ": " + std::strerror(errno);
        return false;
    }
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    // Watched after the simulator's own open, so only the PC's uses count.
    uses_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (uses_ < 0 || ::inotify_add_watch(uses_, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        error = std::string("inotify: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void PseudoTerminal::takeUseEvents() {
    alignas(inotify_event) char buffer[4096];
    bool lastUserLeft = false;
    for (ssize_t n; (n = ::read(uses_, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN) ++users_;
            if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                if (users_ > 0) --users_;
                lastUserLeft = users_ == 0;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    // Only when nobody opened it again meanwhile: a new user's settings stay.
    if (lastUserLeft && users_ == 0) resetDue_ = true;
    if (users_ > 0) resetDue_ = false;
    int unread = 0;
    if (resetDue_ && ::ioctl(master_, FIONREAD, &unread) == 0 && unread == 0) {
        ::tcsetattr(slave_, TCSANOW, &initial_);
        resetDue_ = false;
    }
}

bool PseudoTerminal::waitUntilUnused(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    takeUseEvents();
    while (users_ > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{uses_, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
        takeUseEvents();
    }
    return true;
}

bool PseudoTerminal::publish(const std::string& link, std::string& error) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode) || linkTarget(link).rfind("/dev/pts/", 0) != 0) {
            error = link + " exists and is not a pseudo-terminal link";
            return false;
        }
    }
    const std::string temporary = link + "." + std::to_string(::getpid()) + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(slavePath_.c_str(), temporary.c_str()) != 0) {
        error = "symlink " + temporary + ": " + std::strerror(errno);
        return false;
    }
    if (::rename(temporary.c_str(), link.c_str()) != 0) {
        error = "rename to " + link + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    link_ = link;
    return true;
}

void PseudoTerminal::unpublish() {
    if (link_.empty()) return;
    if (linkTarget(link_) == slavePath_) ::unlink(link_.c_str());
    link_.clear();
}

}  // namespace oltrex::bootsim
