// The drive list from the mount table (Linux).
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "oltrex/drives/CapacityText.h"
#include "oltrex/drives/DriveScanner.h"
#include "oltrex/drives/MountTable.h"

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

class MountTableLister final : public DriveLister {
public:
    explicit MountTableLister(DriveSources sources) : sources_(std::move(sources)) {}
    std::vector<DriveRecord> listDrives() const override;

private:
    bool countsAsDrive(const MountEntry& mount) const;
    bool isBlockDevice(const MountEntry& mount) const;
    bool isRemovable(const std::string& device) const;
    std::string volumeLabel(const std::string& device) const;

    DriveSources sources_;
};

}  // namespace

std::shared_ptr<const DriveLister> systemDriveLister(const DriveSources& sources) {
    return std::make_shared<MountTableLister>(sources);
}

bool MountTableLister::isBlockDevice(const MountEntry& mount) const {
    std::error_code ec;
    if (!mount.deviceNumber.empty() && fs::exists(sources_.sysRoot / "dev" / "block" / mount.deviceNumber, ec))
        return true;
    const std::string name = kernelDeviceName(mount.source, sources_.devRoot);
    if (name.empty()) return false;
    const fs::path block = sources_.sysRoot / "block";
    if (fs::exists(sources_.sysRoot / "class" / "block" / name, ec) || fs::exists(block / name, ec)) return true;
    for (fs::directory_iterator it(block, ec), end; !ec && it != end; it.increment(ec))
        if (fs::is_directory(it->path() / name, ec)) return true;
    const fs::path node = sources_.devRoot / mount.source.substr(5);
    return fs::is_block_file(node, ec);
}

bool MountTableLister::countsAsDrive(const MountEntry& mount) const {
    const FsClass fsClass = classifyFsType(mount.fsType);
    if (fsClass == FsClass::Pseudo || fsClass == FsClass::RamDisk) return false;
    if (isSystemFolder(mount.mountPoint)) return false;
    // A folder of a file system mounted elsewhere (containers and sandboxes
    // bring in system folders of their host this way).
    if (mount.root != "/" && isSystemFolder(mount.root)) return false;
    return fsClass == FsClass::Remote || isBlockDevice(mount);
}

bool MountTableLister::isRemovable(const std::string& device) const {
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

std::string MountTableLister::volumeLabel(const std::string& device) const {
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

std::vector<DriveRecord> MountTableLister::listDrives() const {
    std::vector<DriveRecord> drives;
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
            std::error_code ec;
            const fs::space_info space = fs::space(drive.name, ec);
            if (!ec) {
                drive.freeText = capacityText(space.available, sources_.capacityUnitStep, sources_.capacitySeparator);
                drive.totalText = capacityText(space.capacity, sources_.capacityUnitStep, sources_.capacitySeparator);
            }
        }
        drives.push_back(std::move(drive));
    }
    std::stable_sort(drives.begin(), drives.end(),
                     [](const DriveRecord& a, const DriveRecord& b) { return a.name < b.name; });
    return drives;
}

}  // namespace oltrex
