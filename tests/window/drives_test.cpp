#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "window/drive.h"
#include "window/mounted_drives.h"

namespace window {
namespace {

#ifndef _WIN32
std::vector<std::string> roots(const std::vector<Drive>& drives) {
    std::vector<std::string> result;
    for (const Drive& drive : drives) {
        result.push_back(drive.root.string());
    }
    return result;
}

TEST(MountedDrivesTest, KeepsRootHomeAndRemovableMediaOnly) {
    const char* desktop =
        "22 1 0:21 / /proc rw,relatime shared:12 - proc proc rw\n"
        "23 1 0:22 / /sys rw - sysfs sysfs rw\n"
        "24 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "25 24 0:23 / /run rw shared:5 - tmpfs tmpfs rw\n"
        "26 24 8:3 / /home rw,relatime shared:30 - ext4 /dev/sda3 rw\n"
        "27 24 8:3 /ann/shared /srv/shared rw - ext4 /dev/sda3 rw\n"
        "28 24 8:17 / /media/ann/MY\\040SONGS rw,nosuid shared:40 - vfat /dev/sdb1 rw\n"
        "29 24 8:33 / /mnt/backup rw - ext4 /dev/sdc1 rw\n"
        "30 24 0:40 / /mnt/scratch rw - tmpfs tmpfs rw\n"
        "31 24 8:3 /ann/music /mnt/music rw - ext4 /dev/sda3 rw\n"
        "32 24 7:1 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
        "33 24 7:1 / /media/cdrom ro - iso9660 /dev/sr1 ro\n";
    const std::vector<Drive> drives = drives_from_mountinfo(desktop);
    EXPECT_EQ(roots(drives), (std::vector<std::string>{"/", "/home", "/media/ann/MY SONGS",
                                                       "/media/cdrom", "/mnt/backup"}));
    EXPECT_EQ(drives[2].text, "/media/ann/MY SONGS [sdb1]");
    EXPECT_EQ(drives[3].text, "/media/cdrom [sr1]");
}

TEST(MountedDrivesTest, ContainerKeepsItsOverlayRootButNotItsPlumbing) {
    const char* container =
        "500 400 0:50 / / rw,relatime - overlay overlay rw,lowerdir=/l,upperdir=/u\n"
        "501 500 0:51 / /proc rw - proc proc rw\n"
        "502 500 254:1 /docker/containers/abc/hosts /etc/hosts rw - ext4 /dev/vda1 rw\n"
        "503 500 254:1 /docker/volumes/v/_data /home rw - ext4 /dev/vda1 rw\n"
        "504 500 0:25 / /mnt/sandbox/tools ro - tmpfs tools ro,size=4k\n"
        "broken line\n";
    const std::vector<Drive> drives = drives_from_mountinfo(container);
    EXPECT_EQ(roots(drives), std::vector<std::string>{"/"});
    EXPECT_EQ(drives[0].text, "/ [overlay]");
}

TEST(MountedDrivesTest, ThisMachineHasARootDrive) {
    const std::vector<Drive> drives = mounted_drives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives[0].root, "/");
    EXPECT_TRUE(root_listable("/"));
    EXPECT_FALSE(root_listable("/no/such/folder/anywhere"));
}

TEST(DriveOfTest, LongestComponentWisePrefixWins) {
    const std::vector<Drive> drives = {make_drive("/", "root"), make_drive("/home", "sda3"),
                                       make_drive("/media/usb", "sdb1")};
    EXPECT_EQ(drive_of("/home/ann/songs", drives)->root, "/home");
    EXPECT_EQ(drive_of("/home", drives)->root, "/home");
    EXPECT_EQ(drive_of("/homework/x", drives)->root, "/");
    EXPECT_EQ(drive_of("/media/usb/", drives)->root, "/media/usb");
    EXPECT_EQ(drive_of("/media/usb2", drives)->root, "/");
    EXPECT_FALSE(drive_of("/x", {make_drive("/home", "sda3")}));
    EXPECT_EQ(drive_named("/home [sda3]", drives)->root, "/home");
    EXPECT_FALSE(drive_named("/home", drives));
}
#else
TEST(MountedDrivesTest, ThisMachineListsItsDriveLettersWithC) {
    const std::vector<Drive> drives = mounted_drives();
    const auto c = std::find_if(drives.begin(), drives.end(),
                                [](const Drive& drive) { return drive.text == "c:"; });
    ASSERT_NE(c, drives.end());
    EXPECT_EQ(c->root, "C:\\");
    EXPECT_TRUE(root_listable("C:\\"));
    EXPECT_FALSE(root_listable("C:\\no\\such\\folder\\anywhere"));
}

TEST(DriveOfTest, LettersAndFoldersMatchWithoutRegardToCase) {
    const std::vector<Drive> drives = {make_drive("C:\\", ""), make_drive("D:\\", ""),
                                       make_drive("D:\\Karaoke", "songs")};
    EXPECT_EQ(drives[0].text, "c:");
    EXPECT_EQ(drives[2].text, "d: [songs]");
    EXPECT_EQ(drive_of("c:\\Users\\ann", drives)->root, "C:\\");
    EXPECT_EQ(drive_of("D:\\KARAOKE\\pop", drives)->root, "D:\\Karaoke");
    EXPECT_EQ(drive_of("D:\\Karaoke2", drives)->root, "D:\\");
    EXPECT_FALSE(drive_of("E:\\songs", drives));
    EXPECT_EQ(drive_named("d:", drives)->root, "D:\\");
    EXPECT_FALSE(drive_named("D:", drives));
}
#endif

}  // namespace
}  // namespace window
