#pragma once
// The drive list (mounted file systems stand for drive letters) and the
// search of one folder for files matching a list of wildcard patterns.
#include <filesystem>
#include <string>
#include <vector>

#include "oltrex/drives/DriveRecord.h"
#include "oltrex/drives/MountTable.h"

namespace oltrex {

struct DriveSources {
    std::filesystem::path mountTable = "/proc/self/mountinfo";
    std::filesystem::path sysRoot = "/sys";  // holds block/<disk>/removable, class/block, dev/block
    std::filesystem::path devRoot = "/dev";  // holds disk/by-label/<label>
    int capacityUnitStep = 2;                // capacities in MiB
    char capacitySeparator = '.';
};

class DriveScanner {
public:
    explicit DriveScanner(DriveSources sources = {});

    // Fills the drive list anew, sorted by name, with the file systems a user
    // can copy SD-card files from: those on block devices (disks, card
    // readers, sticks, CDs) and network shares. Left out: pseudo, RAM and
    // container file systems, anything mounted in a system folder, bind
    // mounts of system folders, and mount points that are no folder; of a
    // mount point mounted over, only the visible (last) mount counts.
    void scanDrives();
    const std::vector<DriveRecord>& drives() const { return drives_; }

    // The regular files of `folder` (sub-folders passed over) whose names
    // match one of `patterns`; each file is listed once, at its first
    // matching pattern, in the order the folder listing returns them.
    std::vector<FileRecord> searchFolder(const std::string& folder,
                                         const std::vector<std::string>& patterns) const;

    const DriveSources& sources() const { return sources_; }

private:
    bool countsAsDrive(const MountEntry& mount) const;
    bool isBlockDevice(const MountEntry& mount) const;
    bool isRemovable(const std::string& device) const;
    std::string volumeLabel(const std::string& device) const;

    DriveSources sources_;
    std::vector<DriveRecord> drives_;
};

// The three patterns of the SD-card search, in their order.
const std::vector<std::string>& cardFilePatterns();

}  // namespace oltrex
