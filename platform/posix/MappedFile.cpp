#include "oltrex/platform/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace oltrex {

MappedFile::~MappedFile() {
    if (mapping_ != nullptr) ::munmap(mapping_, size_);
}

bool MappedFile::open(const std::filesystem::path& path, std::error_code& ec) {
    ec.clear();
    auto fail = [&ec](int fd, std::error_code error) {
        ec = error;
        if (fd >= 0) ::close(fd);
        return false;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(fd, std::error_code(errno, std::generic_category()));
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail(fd, std::error_code(errno, std::generic_category()));
    if (!S_ISREG(st.st_mode)) return fail(fd, std::make_error_code(std::errc::invalid_argument));
    if (st.st_size > 0) {
        void* mapping =
            ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (mapping == MAP_FAILED) return fail(fd, std::error_code(errno, std::generic_category()));
        mapping_ = mapping;
        data_ = static_cast<const std::uint8_t*>(mapping);
        size_ = static_cast<std::size_t>(st.st_size);
    }
    ::close(fd);
    return true;
}

}  // namespace oltrex
