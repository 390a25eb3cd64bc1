#include "oltrex/platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "oltrex/platform/Folders.h"

namespace oltrex {

InstanceLock::InstanceLock(const std::string& name, std::filesystem::path folder) {
    if (folder.empty()) folder = runtimeFolder();
    const std::filesystem::path path = folder / (name + ".lock");
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    // The lock is released by the system when the process ends, like a named mutex.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    handle_ = fd;
}

InstanceLock::~InstanceLock() {
    if (handle_ != kNone) ::close(static_cast<int>(handle_));
}

}  // namespace oltrex
