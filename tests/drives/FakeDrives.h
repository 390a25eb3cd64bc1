#pragma once
// A made-up machine for drive-scan tests: a mount table, a sysfs and a /dev
// tree, and real folders to stand for the mount points, all inside one
// private temporary folder.
#include <filesystem>
#include <fstream>
#include <string>

#include "oltrex/drives/DriveScanner.h"
#include "oltrex/platform/Folders.h"

namespace oltrex::testing {

class FakeDrives {
public:
    FakeDrives() {
        std::error_code ec;
        root_ = createPrivateFolder(systemTempFolder(), "oltrex-drives-test-", ec);
        std::filesystem::create_directories(root_ / "sys" / "block");
        std::filesystem::create_directories(root_ / "dev" / "disk" / "by-label");
        std::filesystem::create_directories(root_ / "mnt");
        std::ofstream(root_ / "mounts").flush();
    }
    ~FakeDrives() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    FakeDrives(const FakeDrives&) = delete;
    FakeDrives& operator=(const FakeDrives&) = delete;

    const std::filesystem::path& root() const { return root_; }

    // A disk in the fake sysfs; `partitions` become sub-folders (block/sdb/sdb1).
    void addDisk(const std::string& disk, bool removable, std::initializer_list<std::string> partitions = {}) {
        auto dir = root_ / "sys" / "block" / disk;
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "removable") << (removable ? "1\n" : "0\n");
        for (const auto& p : partitions) std::filesystem::create_directories(dir / p);
    }

    void addLabel(const std::string& label, const std::string& device) {
        std::filesystem::create_symlink("../../" + device, root_ / "dev" / "disk" / "by-label" / label);
    }

    // Creates the folder mnt/<name> (unless `createFolder` is false) and
    // appends a mount table line for it. Returns the mount point. A source
    // under /dev/ is a block device of this machine (sysfs class/block).
    std::string mount(const std::string& source, const std::string& name, const std::string& fsType,
                      bool createFolder = true) {
        auto point = root_ / "mnt" / name;
        if (createFolder) std::filesystem::create_directories(point);
        if (source.rfind("/dev/", 0) == 0)
            std::filesystem::create_directories(root_ / "sys" / "class" / "block" /
                                                std::filesystem::path(source).filename());
        std::string escaped;
        for (char c : point.string()) escaped += (c == ' ') ? std::string("\\040") : std::string(1, c);
        std::ofstream(root_ / "mounts", std::ios::app) << source << ' ' << escaped << ' ' << fsType
                                                       << " rw,relatime 0 0\n";
        return point.string();
    }

    // Appends a line as it is, e.g. in the mountinfo format.
    void addMountLine(const std::string& line) { std::ofstream(root_ / "mounts", std::ios::app) << line << '\n'; }

    // A device number in the fake sysfs (dev/block/<major:minor>), as the
    // kernel lists each block device.
    void addDeviceNumber(const std::string& number) {
        std::filesystem::create_directories(root_ / "sys" / "dev" / "block" / number);
    }

    DriveSources sources() const {
        DriveSources s;
        s.mountTable = root_ / "mounts";
        s.sysRoot = root_ / "sys";
        s.devRoot = root_ / "dev";
        return s;
    }

    // Writes a file of `size` bytes (or the given content) into `folder`.
    static void writeFile(const std::filesystem::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

private:
    std::filesystem::path root_;
};

}  // namespace oltrex::testing
