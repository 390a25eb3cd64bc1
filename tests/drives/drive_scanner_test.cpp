#include <gtest/gtest.h>

#include <algorithm>

#include "FakeDrives.h"
#include "oltrex/drives/DriveScanner.h"

using namespace oltrex;
using oltrex::testing::FakeDrives;
namespace fs = std::filesystem;

namespace {

const DriveRecord* find(const std::vector<DriveRecord>& drives, const std::string& name) {
    auto it = std::find_if(drives.begin(), drives.end(), [&](const DriveRecord& d) { return d.name == name; });
    return it == drives.end() ? nullptr : &*it;
}

}  // namespace

TEST(DriveList, ACardReaderAFixedDiskAndAFloppyGetTheirKindsAndSizeTexts) {
    FakeDrives m;
    m.addDisk("sda", false, {"sda1"});
    m.addDisk("sdb", true, {"sdb1"});
    m.addDisk("fd0", true);
    m.addLabel("SYSTEM", "sda1");
    m.addLabel("FUNKE", "sdb1");
    const auto fixed = m.mount("/dev/sda1", "c", "ext4");
    const auto card = m.mount("/dev/sdb1", "e", "vfat");
    const auto floppy = m.mount("/dev/fd0", "a", "vfat");

    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    const auto& drives = scanner.drives();
    ASSERT_EQ(drives.size(), 3u);
    // Sorted by name, as drive letters are.
    EXPECT_EQ(drives[0].name, floppy);
    EXPECT_EQ(drives[1].name, fixed);
    EXPECT_EQ(drives[2].name, card);

    for (const auto* d : {&drives[0], &drives[2]}) {
        EXPECT_EQ(d->kind, kDriveRemovable);
        EXPECT_EQ(d->freeText, "<FLOPPY>");
        EXPECT_EQ(d->totalText, "<FLOPPY>");
        EXPECT_EQ(d->label, "") << "a removable drive is not touched";
    }
    EXPECT_EQ(drives[1].kind, kDriveFixed);
    EXPECT_EQ(drives[1].label, "SYSTEM");
    EXPECT_FALSE(drives[1].totalText.empty());
    EXPECT_NE(drives[1].totalText, "<FLOPPY>");
}

TEST(DriveList, RemoteAndCdRomDrivesAreRecognisedByTheirFileSystems) {
    FakeDrives m;
    const auto nfs = m.mount("server:/export", "nfs", "nfs4");
    const auto smb = m.mount("//server/share", "smb", "cifs");
    const auto ssh = m.mount("user@host:", "ssh", "fuse.sshfs");
    const auto cd = m.mount("/dev/sr0", "cd", "iso9660");
    const auto dvd = m.mount("/dev/sr1", "dvd", "udf");

    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    const auto& drives = scanner.drives();
    ASSERT_EQ(drives.size(), 5u);
    EXPECT_EQ(find(drives, nfs)->kind, kDriveRemote);
    EXPECT_EQ(find(drives, smb)->kind, kDriveRemote);
    EXPECT_EQ(find(drives, ssh)->kind, kDriveRemote);
    EXPECT_EQ(find(drives, cd)->kind, kDriveCdRom);
    EXPECT_EQ(find(drives, dvd)->kind, kDriveCdRom);
    EXPECT_FALSE(find(drives, cd)->totalText.empty());
}

TEST(DriveList, PseudoFileSystemsAndMissingMountPointsAreNoDrives) {
    FakeDrives m;
    m.mount("proc", "proc", "proc");
    m.mount("sysfs", "sys", "sysfs");
    m.mount("devpts", "pts", "devpts");
    m.mount("cgroup2", "cg", "cgroup2");
    m.mount("/dev/sdc1", "gone", "ext4", /*createFolder=*/false);
    const auto real = m.mount("/dev/sda1", "c", "ext4");

    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    ASSERT_EQ(scanner.drives().size(), 1u);
    EXPECT_EQ(scanner.drives()[0].name, real);
}

// Only file systems a user can copy the SD card's files from: no RAM disks,
// no container layers or images, nothing that is not on a block device
// unless it is a network share.
TEST(DriveList, OnlyFileSystemsOnBlockDevicesAndNetworkSharesAreDrives) {
    FakeDrives m;
    m.mount("tmpfs", "ram", "tmpfs");
    m.mount("overlay", "container", "overlay");
    m.mount("/dev/loop3", "snap", "squashfs");
    m.mount("hostshare", "shared", "9p");
    m.mount("portal", "doc", "fuse.portal");
    m.mount("vault", "vault", "fuse.gocryptfs");
    const auto disk = m.mount("/dev/nvme0n1p2", "data", "ext4");
    const auto share = m.mount("//server/share", "share", "cifs");

    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    std::vector<std::string> names;
    for (const auto& d : scanner.drives()) names.push_back(d.name);
    EXPECT_EQ(names, (std::vector<std::string>{disk, share}));
}

// The machine the window was tried on: a sandbox whose disk is mounted at /,
// with RAM disks and cgroup folders of the system and of the sandbox itself.
TEST(DriveList, ASandboxListsOnlyItsDisk) {
    FakeDrives m;
    m.addDeviceNumber("254:0");
    for (const char* line : {
             "22 27 0:21 / /proc rw,relatime - proc proc rw",
             "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw",
             "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw,size=12335116k,mode=755",
             "25 24 0:23 / /dev/shm rw,relatime - tmpfs tmpfs rw,size=24683772k",
             "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw,discard",
             "28 27 0:25 / /mnt/sandboxing/model_tools_env/v1/python ro,nosuid - tmpfs unavailable ro,size=4k",
             "31 23 0:28 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755",
             "32 31 0:29 / /sys/fs/cgroup/cpu rw,relatime - cgroup cgroup rw,cpu",
             "41 31 0:38 / /sys/fs/cgroup/unified rw,relatime - cgroup2 cgroup2 rw",
         })
        m.addMountLine(line);
    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    ASSERT_EQ(scanner.drives().size(), 1u);
    EXPECT_EQ(scanner.drives()[0].name, "/");
    EXPECT_EQ(scanner.drives()[0].kind, kDriveFixed);
    EXPECT_EQ(scanner.drives()[0].device, "/dev/vda");
}

// Containers bring their host's files in as bind mounts: a system folder of
// the host is no drive, a user's folder is, and nothing mounted inside a
// system folder (a boot partition, a package image) is one either.
TEST(DriveList, SystemFoldersAndTheirBindMountsAreNoDrives) {
    FakeDrives m;
    m.addDeviceNumber("8:1");
    m.addDeviceNumber("8:2");
    const std::string mnt = (m.root() / "mnt").string();
    fs::create_directories(mnt + "/usr-lib");
    fs::create_directories(mnt + "/project");
    m.addMountLine("30 1 8:1 /usr/lib " + mnt + "/usr-lib ro - ext4 /dev/sda1 rw");
    m.addMountLine("31 1 8:1 /var/lib/docker/volumes/x " + mnt + "/project rw - ext4 /dev/sda1 rw");
    m.addMountLine("32 1 8:2 / /boot/efi rw - vfat /dev/sda2 rw");
    m.addMountLine("33 1 8:2 / /snap/core/1 ro - vfat /dev/sda2 rw");
    fs::create_directories(mnt + "/home-anna");
    m.addMountLine("34 1 8:1 /home/anna " + mnt + "/home-anna rw - ext4 /dev/sda1 rw");

    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    ASSERT_EQ(scanner.drives().size(), 1u);
    EXPECT_EQ(scanner.drives()[0].name, mnt + "/home-anna");
}

TEST(DriveList, OnlyTheVisibleMountOfAMountPointCounts) {
    FakeDrives m;
    m.addDisk("sdb", true, {"sdb1"});
    m.mount("/dev/sda2", "e", "ext4");
    const auto point = m.mount("/dev/sdb1", "e", "vfat");

    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    ASSERT_EQ(scanner.drives().size(), 1u);
    EXPECT_EQ(scanner.drives()[0].name, point);
    EXPECT_EQ(scanner.drives()[0].kind, kDriveRemovable);
}

TEST(DriveList, AWholeDiskAndADeviceLinkAreFollowedToTheirRemovableFlag) {
    FakeDrives m;
    m.addDisk("sdd", true);
    m.addDisk("dm-0", false);
    m.addDisk("sde", true, {"sde1"});
    fs::create_directories(m.root() / "dev" / "mapper");
    fs::create_symlink("../dm-0", m.root() / "dev" / "mapper" / "crypt");
    fs::create_directories(m.root() / "dev" / "disk" / "by-id");
    fs::create_symlink("../../sde1", m.root() / "dev" / "disk" / "by-id" / "usb-card-part1");
    const auto whole = m.mount("/dev/sdd", "stick", "vfat");
    const auto crypt = m.mount("/dev/mapper/crypt", "home", "ext4");
    const auto linked = m.mount("/dev/disk/by-id/usb-card-part1", "card", "exfat");

    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    EXPECT_EQ(find(scanner.drives(), whole)->kind, kDriveRemovable);
    EXPECT_EQ(find(scanner.drives(), crypt)->kind, kDriveFixed);
    EXPECT_EQ(find(scanner.drives(), linked)->kind, kDriveRemovable);
}

TEST(DriveList, MountPointsWithSpacesAndEscapedLabelsKeepTheirText) {
    FakeDrives m;
    m.addDisk("sda", false, {"sda1"});
    m.addLabel("My\\x20Data", "sda1");
    const auto point = m.mount("/dev/sda1", "Local Disk", "ntfs3");

    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    ASSERT_EQ(scanner.drives().size(), 1u);
    EXPECT_EQ(scanner.drives()[0].name, point);
    EXPECT_EQ(scanner.drives()[0].label, "My Data");
    EXPECT_EQ(driveRootText(scanner.drives()[0]), point + "/");
}

TEST(DriveList, EachScanStartsFromAnEmptyList) {
    FakeDrives m;
    m.mount("/dev/sda1", "c", "ext4");
    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    scanner.scanDrives();
    EXPECT_EQ(scanner.drives().size(), 1u);

    DriveSources none = m.sources();
    none.mountTable = m.root() / "no-such-table";
    DriveScanner empty(none);
    empty.scanDrives();
    EXPECT_TRUE(empty.drives().empty());
}

TEST(DriveList, TheRootFolderHasASingleSeparatorAsItsRootText) {
    DriveRecord root;
    root.name = "/";
    EXPECT_EQ(driveRootText(root), "/");
}

class FolderSearch : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = m_.mount("/dev/sdb1", "card", "vfat");
    }
    std::vector<std::string> names(const std::vector<FileRecord>& records) {
        std::vector<std::string> out;
        for (const auto& r : records) out.push_back(r.name);
        std::sort(out.begin(), out.end());
        return out;
    }
    FakeDrives m_;
    std::string folder_;
};

TEST_F(FolderSearch, FindsEachCardFileOnceAndPassesOverEverythingElse) {
    FakeDrives::writeFile(fs::path(folder_) / "a.dlb", "12345");
    FakeDrives::writeFile(fs::path(folder_) / "b.1.dlb", "1");
    FakeDrives::writeFile(fs::path(folder_) / "c.2.dlb", "");
    FakeDrives::writeFile(fs::path(folder_) / "AB.1.DLB", "xy");
    FakeDrives::writeFile(fs::path(folder_) / "AB.DLB.BAK", "backup");
    FakeDrives::writeFile(fs::path(folder_) / "readme.txt", "text");
    fs::create_directories(fs::path(folder_) / "sub.dlb");
    FakeDrives::writeFile(fs::path(folder_) / "sub.dlb" / "deep.dlb", "deep");

    DriveScanner scanner(m_.sources());
    const auto found = scanner.searchFolder(folder_, cardFilePatterns());
    EXPECT_EQ(names(found), (std::vector<std::string>{"AB.1.DLB", "a.dlb", "b.1.dlb", "c.2.dlb"}));
    for (const auto& r : found) {
        EXPECT_EQ(r.path, folder_ + "/" + r.name);
        if (r.name == "a.dlb") {
            EXPECT_EQ(r.sizeText, "5");
            EXPECT_EQ(r.size, 5u);
        }
        if (r.name == "c.2.dlb") {
            EXPECT_EQ(r.sizeText, "0");
        }
    }
}

TEST_F(FolderSearch, ListsFilesInTheOrderOfTheFolderListing) {
    for (const char* name : {"z.dlb", "y.2.dlb", "x.1.dlb", "w.dlb"})
        FakeDrives::writeFile(fs::path(folder_) / name, "data");
    std::vector<std::string> listing;
    for (const auto& e : fs::directory_iterator(folder_)) listing.push_back(e.path().filename().string());

    DriveScanner scanner(m_.sources());
    const auto found = scanner.searchFolder(folder_ + "/", cardFilePatterns());
    ASSERT_EQ(found.size(), listing.size());
    for (std::size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i].name, listing[i]);
    EXPECT_EQ(found[0].path, folder_ + "/" + found[0].name) << "no doubled separator";
}

TEST_F(FolderSearch, AMissingFolderOrAnEmptyPatternListFindsNothing) {
    FakeDrives::writeFile(fs::path(folder_) / "a.dlb", "data");
    DriveScanner scanner(m_.sources());
    EXPECT_TRUE(scanner.searchFolder(folder_ + "/missing", cardFilePatterns()).empty());
    EXPECT_TRUE(scanner.searchFolder(folder_, {}).empty());
}
