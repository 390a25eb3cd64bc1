#include <gtest/gtest.h>

#include "oltrex/drives/MountTable.h"

using namespace oltrex;

TEST(MountTable, ReadsSourceMountPointAndTypeOfEachLine) {
    auto entries = parseMountTable(
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "server:/export /mnt/share nfs4 rw 0 0");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].source, "/dev/sda1");
    EXPECT_EQ(entries[0].mountPoint, "/");
    EXPECT_EQ(entries[0].fsType, "ext4");
    EXPECT_EQ(entries[2].mountPoint, "/mnt/share");
}

TEST(MountTable, DecodesTheKernelsOctalEscapesInMountPoints) {
    auto entries = parseMountTable("/dev/sdb1 /media/SD\\040Card vfat rw 0 0\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/media/SD Card");
    EXPECT_EQ(decodeMountField("a\\011b\\134c\\012"), "a\tb\\c\n");
    // An incomplete escape stays as it is.
    EXPECT_EQ(decodeMountField("x\\04"), "x\\04");
}

TEST(MountTable, PassesOverBlankCommentAndShortLines) {
    auto entries = parseMountTable("\n# comment line\n/dev/sda1 /\n   \n/dev/sdb1 /media/sd vfat rw 0 0\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].source, "/dev/sdb1");
}

TEST(MountTable, AMissingTableGivesNoEntries) {
    EXPECT_TRUE(readMountTable("/nonexistent/oltrex/mounts").empty());
}

TEST(FileSystemTypes, AreSortedIntoDriveTypes) {
    for (auto t : {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs"}) EXPECT_EQ(classifyFsType(t), FsClass::Remote) << t;
    for (auto t : {"iso9660", "udf"}) EXPECT_EQ(classifyFsType(t), FsClass::CdRom) << t;
    for (auto t : {"tmpfs", "ramfs"}) EXPECT_EQ(classifyFsType(t), FsClass::RamDisk) << t;
    for (auto t : {"ext4", "vfat", "exfat", "ntfs3", "btrfs", "xfs", "fuseblk", "overlay"})
        EXPECT_EQ(classifyFsType(t), FsClass::Fixed) << t;
    for (auto t : {"proc", "sysfs", "devtmpfs", "devpts", "cgroup2", "mqueue", "debugfs", "autofs", ""})
        EXPECT_EQ(classifyFsType(t), FsClass::Pseudo) << t;
}
