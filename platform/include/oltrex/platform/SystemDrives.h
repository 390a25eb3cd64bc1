#pragma once
// The system's drive letters (Windows): which exist, their types, volume
// labels and capacities. Elsewhere no letter exists.
#include <cstdint>
#include <optional>
#include <string>

namespace oltrex {

enum class SystemDriveType { Unknown, NoRootFolder, Removable, Fixed, Remote, CdRom, RamDisk };

// Bit n set: the letter 'A' + n is in use (GetLogicalDrives).
std::uint32_t logicalDriveLetters();
// Type of the drive whose root is `root` ("E:\").
SystemDriveType driveType(const std::string& root);
// Volume label of the drive at `root`; empty when it has none or cannot be read.
std::string volumeLabel(const std::string& root);

struct DriveSpace {
    std::uint64_t freeBytes = 0;   // free for this user
    std::uint64_t totalBytes = 0;
};
std::optional<DriveSpace> driveSpace(const std::string& root);

}  // namespace oltrex
