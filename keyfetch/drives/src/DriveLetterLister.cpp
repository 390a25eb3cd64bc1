// The drive list from the drive letters (Windows): A: to Z:, each with its
// type, and for the drives that are not removable their label and capacities.
#include "oltrex/drives/CapacityText.h"
#include "oltrex/drives/DriveScanner.h"
#include "oltrex/platform/SystemDrives.h"

namespace oltrex {
namespace {

int kindOf(SystemDriveType type) {
    switch (type) {
        case SystemDriveType::Removable: return kDriveRemovable;
        case SystemDriveType::Remote: return kDriveRemote;
        case SystemDriveType::CdRom: return kDriveCdRom;
        case SystemDriveType::RamDisk: return kDriveRamDisk;
        default: return kDriveFixed;  // fixed and unknown
    }
}

class DriveLetterLister final : public DriveLister {
public:
    explicit DriveLetterLister(DriveSources sources) : sources_(std::move(sources)) {}

    std::vector<DriveRecord> listDrives() const override {
        std::vector<DriveRecord> drives;
        const std::uint32_t letters = logicalDriveLetters();
        for (int i = 0; i < 26; ++i) {
            if (!(letters & (1u << i))) continue;
            const std::string name{static_cast<char>('A' + i), ':'};
            const std::string root = name + "\\";
            const SystemDriveType type = driveType(root);
            if (type == SystemDriveType::NoRootFolder) continue;

            DriveRecord drive;
            drive.name = name;
            drive.device = root;
            drive.kind = kindOf(type);
            if (type == SystemDriveType::Removable) {
                // Not touched: an empty floppy or card reader must not block the scan.
                drive.freeText = drive.totalText = kFloppySizeText;
            } else {
                drive.label = volumeLabel(root);
                const bool measured = type == SystemDriveType::Fixed || type == SystemDriveType::Remote ||
                                      type == SystemDriveType::CdRom;
                if (const auto space = measured ? driveSpace(root) : std::nullopt) {
                    drive.freeText =
                        capacityText(space->freeBytes, sources_.capacityUnitStep, sources_.capacitySeparator);
                    drive.totalText =
                        capacityText(space->totalBytes, sources_.capacityUnitStep, sources_.capacitySeparator);
                }
            }
            drives.push_back(std::move(drive));
        }
        return drives;
    }

private:
    DriveSources sources_;
};

}  // namespace

std::shared_ptr<const DriveLister> systemDriveLister(const DriveSources& sources) {
    return std::make_shared<DriveLetterLister>(sources);
}

}  // namespace oltrex
