#pragma once
// Reading the mount table (/proc/self/mountinfo, or the shorter
// /proc/self/mounts format) and sorting file-system types into drive types.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oltrex {

struct MountEntry {
    std::string source;      // device or remote source
    std::string mountPoint;  // octal escapes (\040 ...) decoded
    std::string fsType;
    // The folder of the file system that is mounted there: "/" for a whole
    // file system, another folder for a bind mount (mountinfo only).
    std::string root = "/";
    std::string deviceNumber;  // "major:minor" (mountinfo only)
};

// Parses the text of a mount table, line by line in either format;
// malformed lines are passed over.
std::vector<MountEntry> parseMountTable(std::string_view text);
// Reads and parses a mount table file; an unreadable file gives no entries.
std::vector<MountEntry> readMountTable(const std::filesystem::path& file);

// Decodes the kernel's octal escapes of mount table fields ("\040" is a space).
std::string decodeMountField(std::string_view field);

enum class FsClass { Pseudo, Fixed, Remote, CdRom, RamDisk };

// nfs/cifs/smb3/sshfs remote, iso9660/udf CD-ROM, tmpfs/ramfs RAM disk,
// kernel and virtual file systems and the layered or image file systems of
// containers and packages (overlay, squashfs ...) pseudo, every other type fixed.
FsClass classifyFsType(std::string_view fsType);

// Folders of the operating system (/boot, /dev, /etc, /proc, /run, /snap,
// /sys, /usr, /var/lib ... and everything below them) and not of its users'
// files; /run/media, where removable media appear, is not one of them.
bool isSystemFolder(std::string_view path);

}  // namespace oltrex
