#pragma once
// What the drive scan reports: one record per drive and one per file found.
#include <cstdint>
#include <string>

namespace oltrex {

// Drive kind codes, as the SD-card import and the chooser use them.
enum DriveKind : int {
    kDriveFixed = 0,      // also unknown types
    kDriveChosen = 2,     // given by the import to the drive picked in the chooser
    kDriveRemovable = 4,
    kDriveCdRom = 5,
    kDriveRemote = 6,
    kDriveRamDisk = 7,
};

// Text that stands for the capacity of a removable drive, which is never touched.
inline constexpr const char* kFloppySizeText = "<FLOPPY>";

struct DriveRecord {
    std::string name;       // the mount point
    std::string label;      // volume label; empty for removable drives
    std::string freeText;   // free capacity, "<FLOPPY>" for removable drives
    std::string totalText;  // total capacity, "<FLOPPY>" for removable drives
    int kind = kDriveFixed;
    std::string device;     // mounted source, for diagnostics
};

struct FileRecord {
    std::string name;      // without folder
    std::string sizeText;  // decimal bytes
    std::string path;      // folder + name
    std::uint64_t size = 0;
};

// A drive's root text as the chooser lists it: the name with a separator at its end.
std::string driveRootText(const DriveRecord& drive);

}  // namespace oltrex
