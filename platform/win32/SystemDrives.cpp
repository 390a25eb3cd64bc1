#include "oltrex/platform/SystemDrives.h"

#include "WideText.h"

namespace oltrex {

std::uint32_t logicalDriveLetters() { return ::GetLogicalDrives(); }

SystemDriveType driveType(const std::string& root) {
    const std::wstring wide = win32::wideFromUtf8(root);
    switch (::GetDriveTypeW(wide.c_str())) {
        case DRIVE_NO_ROOT_DIR: return SystemDriveType::NoRootFolder;
        case DRIVE_REMOVABLE: return SystemDriveType::Removable;
        case DRIVE_FIXED: return SystemDriveType::Fixed;
        case DRIVE_REMOTE: return SystemDriveType::Remote;
        case DRIVE_CDROM: return SystemDriveType::CdRom;
        case DRIVE_RAMDISK: return SystemDriveType::RamDisk;
        default: return SystemDriveType::Unknown;
    }
}

std::string volumeLabel(const std::string& root) {
    const std::wstring wide = win32::wideFromUtf8(root);
    wchar_t label[MAX_PATH + 1] = {};
    // No error box for a drive without a medium.
    const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    const BOOL ok = ::GetVolumeInformationW(wide.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
    ::SetErrorMode(previous);
    return ok ? win32::utf8FromWide(label) : std::string();
}

std::optional<DriveSpace> driveSpace(const std::string& root) {
    const std::wstring wide = win32::wideFromUtf8(root);
    ULARGE_INTEGER freeForUser{}, total{};
    const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    const BOOL ok = ::GetDiskFreeSpaceExW(wide.c_str(), &freeForUser, &total, nullptr);
    ::SetErrorMode(previous);
    if (!ok) return std::nullopt;
    return DriveSpace{freeForUser.QuadPart, total.QuadPart};
}

}  // namespace oltrex
