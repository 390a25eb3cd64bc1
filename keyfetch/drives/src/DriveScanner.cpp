#include "oltrex/drives/DriveScanner.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "oltrex/drives/CapacityText.h"
#include "oltrex/drives/PatternMatch.h"
#include "oltrex/platform/PathText.h"

namespace oltrex {
namespace fs = std::filesystem;

namespace {

// "/dev/sdb1" -> "sdb1", following links such as /dev/mapper/x -> ../dm-0.
std::string kernelDeviceName(const std::string& source, const fs::path& devRoot) {
    if (source.rfind("/dev/", 0) != 0) return {};
    fs::path path = devRoot / source.substr(5);
    std::error_code ec;
    for (int hops = 0; hops < 8 && fs::is_symlink(path, ec); ++hops) {
        fs::path target = fs::read_symlink(path, ec);
        if (ec) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path.filename().string();
}

bool readsOne(const fs::path& file) {
    std::ifstream in(file);
    char c = 0;
    return in.get(c) && c == '1';
}

// "My\x20Card" -> "My Card" (udev escapes in /dev/disk/by-label names).
std::string decodeLabel(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            unsigned value = 0;
            if (std::sscanf(text.substr(i + 2, 2).c_str(), "%2x", &value) == 1) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

}  // namespace

DriveScanner::DriveScanner(DriveSources sources) : sources_(std::move(sources)) {}

bool DriveScanner::isBlockDevice(const MountEntry& mount) const {
    std::error_code ec;
    if (!mount.deviceNumber.empty() && fs::exists(sources_.sysRoot / "dev" / "block" / mount.deviceNumber, ec))
        return true;
    const std::string name = kernelDeviceName(mount.source, sources_.devRoot);
    if (name.empty()) return false;
    const fs::path block = sources_.sysRoot / "block";
    if (fs::exists(sources_.sysRoot / "class" / "block" / name, ec) || fs::exists(block / name, ec)) return true;
    for (fs::directory_iterator it(block, ec), end; !ec && it != end; it.increment(ec))
        if (fs::is_directory(it->path() / name, ec)) return true;
    struct stat info {};
    const fs::path node = sources_.devRoot / mount.source.substr(5);
    return ::stat(node.c_str(), &info) == 0 && S_ISBLK(info.st_mode);
}

bool DriveScanner::countsAsDrive(const MountEntry& mount) const {
    const FsClass fsClass = classifyFsType(mount.fsType);
    if (fsClass == FsClass::Pseudo || fsClass == FsClass::RamDisk) return false;
    if (isSystemFolder(mount.mountPoint)) return false;
    // A folder of a file system mounted elsewhere (containers and sandboxes
    // bring in system folders of their host this way).
    if (mount.root != "/" && isSystemFolder(mount.root)) return false;
    return fsClass == FsClass::Remote || isBlockDevice(mount);
}

bool DriveScanner::isRemovable(const std::string& device) const {
    const std::string name = kernelDeviceName(device, sources_.devRoot);
    if (name.empty()) return false;
    const fs::path block = sources_.sysRoot / "block";
    std::error_code ec, probe;
    if (fs::exists(block / name / "removable", probe)) return readsOne(block / name / "removable");
    // A partition is a sub-folder of its disk: block/sdb/sdb1.
    for (fs::directory_iterator it(block, ec), end; !ec && it != end; it.increment(ec)) {
        if (fs::is_directory(it->path() / name, probe)) return readsOne(it->path() / "removable");
    }
    return false;
}

std::string DriveScanner::volumeLabel(const std::string& device) const {
    const std::string name = kernelDeviceName(device, sources_.devRoot);
    if (name.empty()) return {};
    std::error_code ec;
    for (fs::directory_iterator it(sources_.devRoot / "disk" / "by-label", ec), end; !ec && it != end;
         it.increment(ec)) {
        if (kernelDeviceName("/dev/disk/by-label/" + it->path().filename().string(), sources_.devRoot) == name)
            return decodeLabel(it->path().filename().string());
    }
    return {};
}

void DriveScanner::scanDrives() {
    drives_.clear();
    std::vector<MountEntry> mounts = readMountTable(sources_.mountTable);
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        const MountEntry& m = mounts[i];
        // A later mount on the same point hides this one.
        bool hidden = std::any_of(mounts.begin() + static_cast<std::ptrdiff_t>(i) + 1, mounts.end(),
                                  [&](const MountEntry& later) { return later.mountPoint == m.mountPoint; });
        if (hidden || !countsAsDrive(m) || !isFolder(m.mountPoint)) continue;
        const FsClass fsClass = classifyFsType(m.fsType);

        DriveRecord drive;
        drive.name = m.mountPoint;
        drive.device = m.source;
        switch (fsClass) {
            case FsClass::Remote: drive.kind = kDriveRemote; break;
            case FsClass::CdRom: drive.kind = kDriveCdRom; break;
            default: drive.kind = isRemovable(m.source) ? kDriveRemovable : kDriveFixed; break;
        }
        if (drive.kind == kDriveRemovable) {
            // Not touched: an empty card reader must not block the scan.
            drive.freeText = drive.totalText = kFloppySizeText;
        } else {
            drive.label = volumeLabel(m.source);
            struct statvfs info {};
            if (statvfs(drive.name.c_str(), &info) == 0) {
                const std::uint64_t unit = info.f_frsize ? info.f_frsize : info.f_bsize;
                drive.freeText = capacityText(std::uint64_t(info.f_bavail) * unit, sources_.capacityUnitStep,
                                              sources_.capacitySeparator);
                drive.totalText = capacityText(std::uint64_t(info.f_blocks) * unit, sources_.capacityUnitStep,
                                               sources_.capacitySeparator);
            }
        }
        drives_.push_back(std::move(drive));
    }
    std::stable_sort(drives_.begin(), drives_.end(),
                     [](const DriveRecord& a, const DriveRecord& b) { return a.name < b.name; });
}

std::vector<FileRecord> DriveScanner::searchFolder(const std::string& folderText,
                                                   const std::vector<std::string>& patterns) const {
    std::vector<FileRecord> found;
    const std::string folder = withSeparator(folderText);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statEc;
        const fs::file_status status = it->status(statEc);  // follows links
        if (statEc || !fs::is_regular_file(status)) continue;
        const std::string name = it->path().filename().string();
        for (const std::string& pattern : patterns) {
            if (!matchesPattern(name, pattern)) continue;
            FileRecord record;
            record.name = name;
            record.size = it->file_size(statEc);
            if (statEc) record.size = 0;
            char sizeText[32];
            std::snprintf(sizeText, sizeof sizeText, "%0.0f", static_cast<double>(record.size));
            record.sizeText = sizeText;
            record.path = folder + name;
            found.push_back(std::move(record));
            break;
        }
    }
    return found;
}

const std::vector<std::string>& cardFilePatterns() {
    static const std::vector<std::string> patterns{"*.dlb", "*.1.dlb", "*.2.dlb"};
    return patterns;
}

}  // namespace oltrex
