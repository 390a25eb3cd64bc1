#include "CallerSide.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "KeyLinkResult.h"
#include "oltrex/platform/SafeFile.h"

namespace oltrex::simkey {

// Texts are UTF-8 on both sides.
std::optional<std::string> textFromCaller(const char* text) {
    return std::string(text);
}

std::optional<std::string> textForCaller(std::string_view utf8) {
    return std::string(utf8);
}

int writeLocalFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    bool created = true;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0) return KL_IO_ERROR;
    const std::uint8_t* data = bytes.data();
    std::size_t left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) {
            data += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        if (created) ::unlink(path.c_str());
        return KL_IO_ERROR;
    }
    std::error_code ec;
    const std::filesystem::path folder = path.parent_path();
    oltrex::syncFolder(folder.empty() ? std::filesystem::path(".") : folder, ec);
    return KL_OK;
}

}  // namespace oltrex::simkey
