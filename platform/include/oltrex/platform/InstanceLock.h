#pragma once
// Single-instance lock: the named mutex of that name on Windows, here an
// flock()ed file of that name in the runtime folder. The lock is held while
// the object lives and released by the system when the process ends.
#include <cstdint>
#include <filesystem>
#include <string>

namespace oltrex {

class InstanceLock {
public:
    // Tries to take the lock named `name`; on Linux its file lies in `folder`
    // (default: runtimeFolder()). Windows names are machine-session wide.
    explicit InstanceLock(const std::string& name, std::filesystem::path folder = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    // false when another process holds the lock ("already existed").
    bool acquired() const { return handle_ != kNone; }

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;  // file descriptor, or the mutex handle on Windows
};

}  // namespace oltrex
