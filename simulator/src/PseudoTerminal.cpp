#include "PseudoTerminal.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

namespace oltrex::bootsim {
namespace {

std::string linkTarget(const std::string& path) {
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

bool makeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return false;
    ::cfmakeraw(&tio);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
    unpublish();
    if (closes_ >= 0) ::close(closes_);
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
    if (slave_ < 0 || !makeRaw(slave_)) {
        error = std::string("slave ") + name + ": " + std::strerror(errno);
        return false;
    }
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    closes_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (closes_ < 0 || ::inotify_add_watch(closes_, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        error = std::string("inotify: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void PseudoTerminal::forgetCloses() {
    char events[4096];
    while (::read(closes_, events, sizeof events) > 0) {
    }
}

bool PseudoTerminal::waitForClose(int timeoutMs) {
    pollfd p{closes_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    forgetCloses();
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
