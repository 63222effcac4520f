// The Linux console edition's drive under test: which mount holds a folder,
// and the lines shown.
#include <gtest/gtest.h>

#include "console/drive_under_test.h"

namespace qm {
namespace {

const char MOUNTINFO[] =
    "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
    "28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "40 28 8:17 / /media/usb\\040stick rw,nosuid shared:7 master:2 - vfat /dev/sdb1 rw\n"
    "41 28 0:44 / /home/ann rw - tmpfs tmpfs rw\n"
    "42 28 259:1 / /home/ann rw - btrfs /dev/nvme0n1p1 rw\n"
    "43 28 0:45 / /home/annex rw - tmpfs other rw\n"
    "broken line\n";

TEST(ConsoleDriveUnderTest, MountHoldingAFolder) {
  struct Case {
    const char* path;
    const char* mountPoint;
    const char* device;
    const char* fileSystem;
    const char* majorMinor;
  };
  const Case cases[] = {
      {"/work/main", "/", "/dev/sda2", "ext4", "8:2"},
      {"/media/usb stick/bench", "/media/usb stick", "/dev/sdb1", "vfat", "8:17"},
      // Mounted over an earlier mount: the later one holds it.
      {"/home/ann/bench", "/home/ann", "/dev/nvme0n1p1", "btrfs", "259:1"},
      {"/home/ann", "/home/ann", "/dev/nvme0n1p1", "btrfs", "259:1"},
      // A name that only starts like a mount point is not under it.
      {"/home/anna", "/", "/dev/sda2", "ext4", "8:2"},
      {"", "", "", "", ""},
  };
  for (const Case& c : cases) {
    MountedDrive drive = MountHolding(MOUNTINFO, c.path);
    EXPECT_EQ(drive.mountPoint, c.mountPoint) << c.path;
    EXPECT_EQ(drive.device, c.device) << c.path;
    EXPECT_EQ(drive.fileSystem, c.fileSystem) << c.path;
    EXPECT_EQ(drive.majorMinor, c.majorMinor) << c.path;
  }
}

TEST(ConsoleDriveUnderTest, LinesWithCapacityAndModelWhereKnown) {
  MountedDrive drive{"/", "/dev/sda2", "ext4", "8:2"};
  EXPECT_EQ(DriveUnderTestLines(drive, true, 500107862016, SysfsValue("Samsung SSD 860 \n")),
            "Drive under test: / on /dev/sda2 (ext4)\nCapacity: 465.762 GiB\nModel: Samsung SSD 860\n");
  EXPECT_EQ(DriveUnderTestLines(drive, false, 0, SysfsValue(" \n")),
            "Drive under test: / on /dev/sda2 (ext4)\n");
  EXPECT_EQ(DriveUnderTestLines(MountedDrive{}, false, 0, ""), "Drive under test: ?\n");
}

}  // namespace
}  // namespace qm
