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

std::vector<MountEntry> parseMountTable(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;

        std::array<std::string_view, 3> fields;
        std::size_t count = 0, pos = 0;
        while (count < fields.size()) {
            while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
            if (pos >= line.size()) break;
            std::size_t fieldEnd = line.find_first_of(" \t", pos);
            if (fieldEnd == std::string_view::npos) fieldEnd = line.size();
            fields[count++] = line.substr(pos, fieldEnd - pos);
            pos = fieldEnd;
        }
        if (count < fields.size() || fields[0].front() == '#') continue;
        entries.push_back({decodeMountField(fields[0]), decodeMountField(fields[1]), std::string(fields[2])});
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
        "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs"};
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

}  // namespace oltrex
