#include "oltrex/platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
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

bool syncFile(const fs::path& path, std::error_code& ec) {
    ec.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    if (!ok) ec = lastError();
    ::close(fd);
    return ok;
}

bool moveWithoutReplacing(const fs::path& from, const fs::path& to, std::error_code& ec) {
    ec.clear();
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        ec = lastError();
        return false;
    }
    // File systems without the no-replace rename: a hard link fails on a taken name.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST) {
        ec = lastError();
        return false;
    }
    // No hard links either (e.g. FAT): test, then rename.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        ec = std::make_error_code(std::errc::file_exists);
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    ec = lastError();
    return false;
}

bool copyFile(const fs::path& from, const fs::path& to, bool overwrite, std::error_code& ec) {
    ec.clear();
    return fs::copy_file(from, to, overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none, ec);
}

std::FILE* openFile(const fs::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::FILE* createFreshFile(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) return nullptr;
        if (::unlink(path.c_str()) != 0) return nullptr;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) ::close(fd);
    return file;
}

bool ExclusiveFile::createUnique(const fs::path& folder, const std::string& prefix, const std::string& suffix,
                                 std::error_code& ec, bool shared) {
    close();
    ec.clear();
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = folder / (prefix + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                          std::to_string(random() % 100000u) + suffix);
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, shared ? 0666 : 0600);
        if (fd >= 0) {
            handle_ = fd;
            return true;
        }
        if (errno != EEXIST) break;
    }
    ec = lastError();
    path_.clear();
    return false;
}

bool ExclusiveFile::write(const std::uint8_t* data, std::size_t size, std::error_code& ec) {
    if (handle_ == kNone || !writeAll(static_cast<int>(handle_), data, size)) {
        ec = handle_ == kNone ? std::make_error_code(std::errc::bad_file_descriptor) : lastError();
        return false;
    }
    return true;
}

bool ExclusiveFile::syncAndClose(std::error_code& ec) {
    if (handle_ == kNone) {
        ec = std::make_error_code(std::errc::bad_file_descriptor);
        return false;
    }
    const int fd = static_cast<int>(handle_);
    handle_ = kNone;
    bool ok = ::fdatasync(fd) == 0;
    if (!ok) ec = lastError();
    if (::close(fd) != 0 && ok) {
        ec = lastError();
        ok = false;
    }
    return ok;
}

void ExclusiveFile::close() {
    if (handle_ != kNone) ::close(static_cast<int>(handle_));
    handle_ = kNone;
}

}  // namespace oltrex
