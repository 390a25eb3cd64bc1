#include "oltrex/platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

namespace oltrex {
namespace fs = std::filesystem;

namespace {

std::error_code lastError() { return std::error_code(errno, std::generic_category()); }

// Writes all bytes, retrying short writes and interruptions.
bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeSyncClose(int fd, const std::uint8_t* data, std::size_t size, std::error_code& ec) {
    bool ok = writeAll(fd, data, size) && ::fsync(fd) == 0;
    if (!ok) ec = lastError();
    if (::close(fd) != 0 && ok) {
        ec = lastError();
        ok = false;
    }
    return ok;
}

fs::path folderOf(const fs::path& path) {
    fs::path folder = path.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

}  // namespace

bool readWholeFile(const fs::path& path, Bytes& out, std::error_code& ec) {
    ec.clear();
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ec = lastError();
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    ::close(fd);
    return true;
}

bool writeWholeFile(const fs::path& path, const std::uint8_t* data, std::size_t size, std::error_code& ec) {
    ec.clear();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    return writeSyncClose(fd, data, size, ec);
}

bool syncFolder(const fs::path& folder, std::error_code& ec) {
    ec.clear();
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    bool ok = ::fsync(fd) == 0;
    if (!ok) ec = lastError();
    ::close(fd);
    return ok;
}

bool replaceFile(const fs::path& path, const std::uint8_t* data, std::size_t size, std::error_code& ec) {
    ec.clear();
    static thread_local std::mt19937_64 random{std::random_device{}()};
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = path;
        temp += ".new-" + std::to_string(random() % 1000000000ULL);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    // The new file takes the permissions of the one it replaces.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    if (!writeSyncClose(fd, data, size, ec)) {
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ec = lastError();
        ::unlink(temp.c_str());
        return false;
    }
    return syncFolder(folderOf(path), ec);
}

bool createNewFile(const fs::path& path, const std::uint8_t* data, std::size_t size, std::error_code& ec) {
    ec.clear();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    if (!writeSyncClose(fd, data, size, ec)) {
        ::unlink(path.c_str());
        return false;
    }
    return syncFolder(folderOf(path), ec);
}

}  // namespace oltrex
