#pragma once
// The drive list and the search of one folder for files matching a list of
// wildcard patterns. The drives are the drive letters on Windows; on Linux
// the mounted file systems stand for them.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "oltrex/drives/DriveRecord.h"
#include "oltrex/drives/MountTable.h"

namespace oltrex {

// Where the Linux drive list comes from; on Windows only the capacity format counts.
struct DriveSources {
    std::filesystem::path mountTable = "/proc/self/mountinfo";
    std::filesystem::path sysRoot = "/sys";  // holds block/<disk>/removable, class/block, dev/block
    std::filesystem::path devRoot = "/dev";  // holds disk/by-label/<label>
    int capacityUnitStep = 2;                // capacities in MiB
    char capacitySeparator = '.';
};

// One way of listing the drives.
class DriveLister {
public:
    virtual ~DriveLister() = default;
    virtual std::vector<DriveRecord> listDrives() const = 0;
};

// The platform's lister: the drive letters on Windows (A: to Z:), the mount
// table of `sources` elsewhere.
std::shared_ptr<const DriveLister> systemDriveLister(const DriveSources& sources);

class DriveScanner {
public:
    explicit DriveScanner(DriveSources sources = {});
    explicit DriveScanner(std::shared_ptr<const DriveLister> lister, DriveSources sources = {});

    // Fills the drive list anew. On Windows: every drive letter with a root
    // folder. From the mount table: sorted by name, with the file systems a user
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
    DriveSources sources_;
    std::shared_ptr<const DriveLister> lister_;
    std::vector<DriveRecord> drives_;
};

// The three patterns of the SD-card search, in their order.
const std::vector<std::string>& cardFilePatterns();

}  // namespace oltrex
