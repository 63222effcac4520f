// The Linux drive under test: which mount holds a folder,
// the lines shown, hostile names, and a folder deeper than PATH_MAX.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "drives/escaped_name.h"
#include "drives/linux_drive_under_test.h"
#include "tests/support/scratch_folder.h"

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

TEST(LinuxDriveUnderTest, MountHoldingAFolder) {
  struct Case {
    const char* path;
    const char* mountPoint;  // "" for none
    const char* source;
    const char* fileSystem;
  };
  const Case cases[] = {
      {"/work/main", "/", "/dev/sda2", "ext4"},
      {"/media/usb stick/bench", "/media/usb stick", "/dev/sdb1", "vfat"},
      // Mounted over an earlier mount: the later one holds it.
      {"/home/ann/bench", "/home/ann", "/dev/nvme0n1p1", "btrfs"},
      {"/home/ann", "/home/ann", "/dev/nvme0n1p1", "btrfs"},
      // A name that only starts like a mount point is not under it.
      {"/home/anna", "/", "/dev/sda2", "ext4"},
      {"", "", "", ""},
  };
  const std::vector<MountInfoLine> mounts = ParseMountInfo(MOUNTINFO);
  for (const Case& c : cases) {
    std::optional<MountInfoLine> mount = MountHolding(mounts, c.path);
    ASSERT_EQ(mount.has_value(), *c.mountPoint != '\0') << c.path;
    if (!mount) continue;
    EXPECT_EQ(mount->mountPoint, c.mountPoint) << c.path;
    EXPECT_EQ(mount->source, c.source) << c.path;
    EXPECT_EQ(mount->fsType, c.fileSystem) << c.path;
  }
}

TEST(LinuxDriveUnderTest, LinesWithCapacityAndModelWhereKnown) {
  MountInfoLine root;
  root.mountPoint = "/";
  root.source = "/dev/sda2";
  root.fsType = "ext4";
  LinuxDriveFacts facts;
  facts.capacityKnown = true;
  facts.totalBytes = 500107862016;
  facts.vendor = "ATA     \n";
  facts.model = "Samsung SSD 860 \n";
  EXPECT_EQ(DriveUnderTestLines(root, facts),
            "Drive under test: / on /dev/sda2 (ext4)\nCapacity: 465.762 GiB\nModel: Samsung SSD 860\n");
  // A USB stick keeps its vendor.
  facts.vendor = "SanDisk \n";
  facts.model = "Cruzer Blade    \n";
  EXPECT_EQ(DriveUnderTestLines(root, facts),
            "Drive under test: / on /dev/sda2 (ext4)\nCapacity: 465.762 GiB\nModel: SanDisk Cruzer Blade\n");
  EXPECT_EQ(DriveUnderTestLines(root, LinuxDriveFacts{}), "Drive under test: / on /dev/sda2 (ext4)\n");
  EXPECT_EQ(DriveUnderTestLines(std::nullopt, LinuxDriveFacts{}), "Drive under test: ?\n");
}

TEST(EscapedName, ControlCharactersAndBadBytesAreWrittenOut) {
  const std::pair<std::string, std::string> cases[] = {
      {"/media/plain stick", "/media/plain stick"},
      {"/mnt/a\nb", "/mnt/a\\nb"},
      {"/mnt/\x1b[2Jclear", "/mnt/\\x1b[2Jclear"},
      {"tab\tcr\rdel\x7f", "tab\\tcr\\rdel\\x7f"},
      {"back\\slash", "back\\\\slash"},
      {"/media/\xc3\xbc\xe2\x82\xac", "/media/\xc3\xbc\xe2\x82\xac"},  // ü and € stay
      {"csi\xc2\x9b"
       "2J",
       "csi\\xc2\\x9b2J"},                 // C1 control U+009B
      {"bad\xff\xc3", "bad\\xff\\xc3"},    // not UTF-8
      {"over\xc0\xaf", "over\\xc0\\xaf"},  // overlong "/"
      {"", ""},
  };
  for (const auto& [name, shown] : cases) EXPECT_EQ(EscapedName(name), shown) << shown;

  MountInfoLine hostile = ParseMountInfo(
                              "50 28 8:2 /x /mnt/a\\012b\x1b"
                              "c rw - ext4 /dev/sda2 rw\n")
                              .at(0);
  EXPECT_EQ(hostile.mountPoint,
            "/mnt/a\nb\x1b"
            "c");
  EXPECT_EQ(DriveUnderTestLines(hostile, LinuxDriveFacts{}),
            "Drive under test: /mnt/a\\nb\\x1bc on /dev/sda2 (ext4)\n");
}

// The report's "Drive test:" and the screen's line read the current folder
// the same way; a folder deeper than PATH_MAX still has its mount.
TEST(LinuxDriveUnderTest, FolderDeeperThanPathMax) {
  ScratchFolder scratch;
  const std::string part(200, 'd');
  int depth = 0;
  while (depth * (part.size() + 1) <= PATH_MAX + 200) {
    ASSERT_EQ(mkdir(part.c_str(), 0700), 0) << "mkdir at depth " << depth;
    ASSERT_EQ(chdir(part.c_str()), 0) << "chdir at depth " << depth;
    ++depth;
  }
  const Text mountPoint = DriveUnderTestMountPoint();
  const std::optional<MountInfoLine> mount = CurrentFolderMount();
  for (; depth > 0; --depth) {
    ASSERT_EQ(chdir(".."), 0);
    ASSERT_EQ(rmdir(part.c_str()), 0);
  }
  ASSERT_TRUE(mount.has_value());
  EXPECT_FALSE(mountPoint.empty());
  EXPECT_EQ(Utf8(mountPoint), EscapedName(mount->mountPoint));
}

}  // namespace
}  // namespace qm
