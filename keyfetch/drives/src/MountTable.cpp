#include "oltrex/drives/MountTable.h"

#include <array>
#include <fstream>
#include <sstream>

namespace oltrex {

std::string decodeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
            isOctal(field[i + 3])) {
            int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            out += static_cast<char>(value & 0xFF);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    for (;;) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        if (pos >= line.size()) return fields;
        std::size_t end = line.find_first_of(" \t", pos);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(pos, end - pos));
        pos = end;
    }
}

bool allDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// mountinfo: id parent major:minor root mount-point options [optional...] - type source super-options
bool parseMountInfoLine(const std::vector<std::string_view>& f, MountEntry& entry) {
    if (f.size() < 7 || !allDigits(f[0]) || !allDigits(f[1]) || f[2].find(':') == std::string_view::npos)
        return false;
    std::size_t dash = 6;
    while (dash < f.size() && f[dash] != "-") ++dash;
    if (dash + 1 >= f.size()) return false;
    entry.deviceNumber = std::string(f[2]);
    entry.root = decodeMountField(f[3]);
    entry.mountPoint = decodeMountField(f[4]);
    entry.fsType = std::string(f[dash + 1]);
    entry.source = dash + 2 < f.size() ? decodeMountField(f[dash + 2]) : std::string();
    return true;
}

}  // namespace

std::vector<MountEntry> parseMountTable(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::vector<std::string_view> fields = splitFields(text.substr(start, end - start));
        start = end + 1;
        if (fields.size() < 3 || fields[0].front() == '#') continue;
        MountEntry entry;
        if (parseMountInfoLine(fields, entry)) {
            entries.push_back(std::move(entry));
        } else if (!allDigits(fields[0])) {
            entry.source = decodeMountField(fields[0]);
            entry.mountPoint = decodeMountField(fields[1]);
            entry.fsType = std::string(fields[2]);
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

std::vector<MountEntry> readMountTable(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return parseMountTable(text.str());
}

FsClass classifyFsType(std::string_view type) {
    static constexpr std::string_view remote[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "sshfs"};
    static constexpr std::string_view cdrom[] = {"iso9660", "udf"};
    static constexpr std::string_view ram[] = {"tmpfs", "ramfs"};
    // Kernel interfaces and virtual file systems: nothing a user keeps files on.
    static constexpr std::string_view pseudo[] = {
        "proc",     "sysfs",      "devtmpfs",  "devpts",     "cgroup",    "cgroup2",      "securityfs",
        "pstore",   "debugfs",    "tracefs",   "configfs",   "fusectl",   "mqueue",       "hugetlbfs",
        "bpf",      "autofs",     "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",        "selinuxfs",
        "nfsd",     "rootfs",     "devfs",     "usbfs",      "sockfs",    "pipefs",       "anon_inodefs",
        "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs",
        // Layers and images of containers and packages, not a user's files.
        "overlay", "aufs", "squashfs", "fuse.squashfuse", "fuse.snapfuse", "shiftfs"};
    auto in = [type](const auto& list) {
        for (std::string_view t : list)
            if (t == type) return true;
        return false;
    };
    if (type.empty() || in(pseudo)) return FsClass::Pseudo;
    if (in(remote)) return FsClass::Remote;
    if (in(cdrom)) return FsClass::CdRom;
    if (in(ram)) return FsClass::RamDisk;
    return FsClass::Fixed;
}

bool isSystemFolder(std::string_view path) {
    static constexpr std::string_view system[] = {
        "/bin",  "/boot",    "/dev",     "/efi",      "/etc",      "/lib",      "/lib32",   "/lib64",
        "/libx32", "/opt",   "/proc",    "/run",      "/sbin",     "/snap",     "/sys",     "/usr",
        "/var/cache", "/var/lib", "/var/lock", "/var/log", "/var/run", "/var/snap", "/var/spool"};
    auto within = [path](std::string_view folder) {
        return path.substr(0, folder.size()) == folder && (path.size() == folder.size() || path[folder.size()] == '/');
    };
    if (within("/run/media")) return false;
    for (std::string_view folder : system)
        if (within(folder)) return true;
    return false;
}

}  // namespace oltrex
