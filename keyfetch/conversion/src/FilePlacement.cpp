#include "FilePlacement.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "oltrex/conversion/Naming.h"
#include "oltrex/platform/Folders.h"
#include "oltrex/platform/SafeFile.h"

namespace oltrex {
namespace fs = std::filesystem;

namespace {

std::error_code lastError() { return std::error_code(errno, std::generic_category()); }

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

fs::path folderOf(const fs::path& path) {
    fs::path folder = path.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// A new, exclusive file beside the target; -1 when none can be made.
int createPartFile(const fs::path& folder, fs::path& partPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        partPath = folder / (".oltrex-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".part");
        const int fd = ::open(partPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Moves `from` to `to` unless `to` exists. 0, EEXIST or another errno.
int moveWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno == EEXIST) return EEXIST;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    // File systems without the no-replace rename: a hard link fails on a taken name.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST) return EEXIST;
    // No hard links either (e.g. FAT): test, then rename.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

MappedFile::~MappedFile() {
    if (mapping_ != nullptr) ::munmap(mapping_, size_);
}

bool MappedFile::open(const fs::path& path, std::error_code& ec) {
    ec.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ec = lastError();
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ec = std::make_error_code(std::errc::invalid_argument);
        ::close(fd);
        return false;
    }
    if (st.st_size > 0) {
        void* mapping = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                               fd, 0);
        if (mapping == MAP_FAILED) {
            ec = lastError();
            ::close(fd);
            return false;
        }
        mapping_ = mapping;
        data_ = static_cast<const std::uint8_t*>(mapping);
        size_ = static_cast<std::size_t>(st.st_size);
    }
    ::close(fd);
    return true;
}

bool placeNewFile(std::string& path, const std::vector<std::span<const std::uint8_t>>& parts, std::error_code& ec) {
    ec.clear();
    const fs::path folder = folderOf(path);
    fs::path part;
    const int fd = createPartFile(folder, part);
    if (fd < 0) {
        ec = lastError();
        return false;
    }
    bool ok = true;
    for (const auto& part : parts) ok = ok && writeAll(fd, part.data(), part.size());
    ok = ok && ::fdatasync(fd) == 0;
    if (!ok) ec = lastError();
    if (::close(fd) != 0 && ok) {
        ec = lastError();
        ok = false;
    }
    for (int attempt = 0; ok && attempt < 1000; ++attempt) {
        const int result = moveWithoutReplacing(part, path);
        if (result == 0) return syncFolder(folder, ec);
        if (result != EEXIST) {
            ec = std::error_code(result, std::generic_category());
            ok = false;
            break;
        }
        makeUniquePath(path);  // taken since the name was chosen: number it
    }
    if (ok) ec = std::make_error_code(std::errc::file_exists);
    ::unlink(part.c_str());
    return false;
}

bool isPrivateWorkFolder(const fs::path& folder) {
    if (folder.empty()) return false;
    std::error_code ec;
    const fs::path shared = fs::weakly_canonical(systemTempFolder(), ec);
    const fs::path self = fs::weakly_canonical(folder, ec);
    if (ec || self == shared || self == fs::path("/")) return false;
    struct stat st {};
    if (::lstat(self.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

void removeMatchingFiles(const fs::path& folder, const char* pattern, const fs::path& keep) {
    std::error_code ec;
    const fs::path kept = keep.empty() ? fs::path() : fs::weakly_canonical(keep, ec);
    ec.clear();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statEc;
        if (it->is_directory(statEc) && !it->is_symlink(statEc)) continue;
        const std::string name = it->path().filename().string();
        if (::fnmatch(pattern, name.c_str(), FNM_PERIOD) != 0) continue;
        std::error_code removeEc;
        if (!kept.empty() && fs::weakly_canonical(it->path(), removeEc) == kept) continue;
        fs::remove(it->path(), removeEc);
    }
}

}  // namespace oltrex
