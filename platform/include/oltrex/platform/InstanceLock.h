#pragma once
// Single-instance lock: a named mutex on Windows, here an flock()ed file of
// that name in the runtime folder. The lock is held while the object lives.
#include <filesystem>
#include <string>

namespace oltrex {

class InstanceLock {
public:
    // Tries to take the lock named `name` in `folder` (default: runtimeFolder()).
    explicit InstanceLock(const std::string& name, std::filesystem::path folder = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    // false when another process holds the lock ("already existed").
    bool acquired() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace oltrex
