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

TEST(DriveList, RemoteCdRomAndRamDisksAreRecognisedByTheirFileSystems) {
    FakeDrives m;
    const auto nfs = m.mount("server:/export", "nfs", "nfs4");
    const auto smb = m.mount("//server/share", "smb", "cifs");
    const auto ssh = m.mount("user@host:", "ssh", "fuse.sshfs");
    const auto cd = m.mount("/dev/sr0", "cd", "iso9660");
    const auto dvd = m.mount("/dev/sr1", "dvd", "udf");
    const auto ram = m.mount("tmpfs", "ram", "tmpfs");

    DriveScanner scanner(m.sources());
    scanner.scanDrives();
    const auto& drives = scanner.drives();
    ASSERT_EQ(drives.size(), 6u);
    EXPECT_EQ(find(drives, nfs)->kind, kDriveRemote);
    EXPECT_EQ(find(drives, smb)->kind, kDriveRemote);
    EXPECT_EQ(find(drives, ssh)->kind, kDriveRemote);
    EXPECT_EQ(find(drives, cd)->kind, kDriveCdRom);
    EXPECT_EQ(find(drives, dvd)->kind, kDriveCdRom);
    EXPECT_EQ(find(drives, ram)->kind, kDriveRamDisk);
    EXPECT_FALSE(find(drives, cd)->totalText.empty());
    EXPECT_TRUE(find(drives, ram)->totalText.empty()) << "RAM disks get no capacity texts";
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
