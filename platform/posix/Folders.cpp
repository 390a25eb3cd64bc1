#include "oltrex/platform/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace oltrex {
namespace fs = std::filesystem;

namespace {
fs::path envPath(const char* name) {
    const char* value = std::getenv(name);
    return (value && *value) ? fs::path(value) : fs::path();
}
}  // namespace

fs::path systemTempFolder() {
    fs::path tmp = envPath("TMPDIR");
    return tmp.empty() ? fs::path("/tmp") : tmp;
}

fs::path createPrivateFolder(const fs::path& parent, const std::string& prefix, std::error_code& ec) {
    ec.clear();
    std::string pattern = (parent / (prefix + "XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // mkdtemp creates a new folder with mode 0700 and never reuses an existing one.
    if (mkdtemp(buffer.data()) == nullptr) {
        ec = std::error_code(errno, std::generic_category());
        return {};
    }
    fs::path folder(buffer.data());
    if (chmod(folder.c_str(), 0700) != 0) {
        ec = std::error_code(errno, std::generic_category());
        rmdir(folder.c_str());
        return {};
    }
    return folder;
}

fs::path createWorkFolder(std::error_code& ec) {
    return createPrivateFolder(systemTempFolder(), "oltrex-keyfetch-", ec);
}

fs::path programDataFolder() {
    if (fs::path dir = envPath("OLTREX_DATA_DIR"); !dir.empty()) return dir;
    const fs::path system("/var/lib/oltrex");
    if (access(system.c_str(), W_OK) == 0) return system;
    if (fs::path state = envPath("XDG_STATE_HOME"); !state.empty()) return state / "oltrex";
    fs::path home = envPath("HOME");
    if (home.empty()) home = "/tmp";
    return home / ".local" / "state" / "oltrex";
}

bool isPrivateFolder(const fs::path& folder) {
    if (folder.empty()) return false;
    std::error_code ec;
    const fs::path shared = fs::weakly_canonical(systemTempFolder(), ec);
    const fs::path self = fs::weakly_canonical(folder, ec);
    if (ec || self == shared || self == self.root_path()) return false;
    struct stat st {};
    if (::lstat(self.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

fs::path programFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self.parent_path();
}

fs::path runtimeFolder() {
    fs::path dir = envPath("XDG_RUNTIME_DIR");
    return dir.empty() ? systemTempFolder() : dir;
}

}  // namespace oltrex
