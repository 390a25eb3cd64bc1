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

TEST(MountTable, ReadsTheMountInfoFormatWithRootAndDeviceNumber) {
    auto entries = parseMountTable(
        "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
        "36 27 8:17 /photos /media/SD\\040Card rw master:1 propagation:x - vfat /dev/sdb1 rw\n"
        "40 27 0:44 / /mnt/share rw - nfs4 server:/export rw\n"
        "41 27 0:45 / /mnt/odd rw -\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].mountPoint, "/");
    EXPECT_EQ(entries[0].root, "/");
    EXPECT_EQ(entries[0].deviceNumber, "254:0");
    EXPECT_EQ(entries[0].source, "/dev/vda");
    EXPECT_EQ(entries[0].fsType, "ext4");
    EXPECT_EQ(entries[1].root, "/photos");
    EXPECT_EQ(entries[1].mountPoint, "/media/SD Card");
    EXPECT_EQ(entries[1].source, "/dev/sdb1");
    EXPECT_EQ(entries[1].fsType, "vfat");
    EXPECT_EQ(entries[2].source, "server:/export");
    // The short format knows no roots: each entry is a whole file system.
    EXPECT_EQ(parseMountTable("/dev/sda1 /data ext4 rw 0 0\n").at(0).root, "/");
}

TEST(MountTable, KnowsTheSystemFolders) {
    for (auto p : {"/boot", "/boot/efi", "/dev/shm", "/sys/fs/cgroup", "/run/user/1000", "/snap/core/1",
                   "/usr/lib", "/var/lib/docker/overlay2/x/merged", "/etc"})
        EXPECT_TRUE(isSystemFolder(p)) << p;
    for (auto p : {"/", "/home", "/media/anna/FUNKE", "/run/media/anna/FUNKE", "/mnt/card", "/tmp/x", "/bootcamp",
                   "/var/tmp", "/srv/data"})
        EXPECT_FALSE(isSystemFolder(p)) << p;
}

TEST(MountTable, AMissingTableGivesNoEntries) {
    EXPECT_TRUE(readMountTable("/nonexistent/oltrex/mounts").empty());
}

TEST(FileSystemTypes, AreSortedIntoDriveTypes) {
    for (auto t : {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs"}) EXPECT_EQ(classifyFsType(t), FsClass::Remote) << t;
    for (auto t : {"iso9660", "udf"}) EXPECT_EQ(classifyFsType(t), FsClass::CdRom) << t;
    for (auto t : {"tmpfs", "ramfs"}) EXPECT_EQ(classifyFsType(t), FsClass::RamDisk) << t;
    for (auto t : {"ext4", "vfat", "exfat", "ntfs3", "btrfs", "xfs", "fuseblk"})
        EXPECT_EQ(classifyFsType(t), FsClass::Fixed) << t;
    for (auto t : {"proc", "sysfs", "devtmpfs", "devpts", "cgroup2", "mqueue", "debugfs", "autofs", "overlay",
                   "squashfs", ""})
        EXPECT_EQ(classifyFsType(t), FsClass::Pseudo) << t;
}
