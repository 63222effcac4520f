#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "drives/device_queries.h"
#include "drives/linux_drive_under_test.h"
#include "drives/linux_drives.h"
#include "drives/linux_mounts.h"

namespace qm {
namespace {

TEST(MountInfo, ReadsFieldsAroundOptionalOnesAndDecodesEscapes) {
  const std::vector<MountInfoLine> mounts = ParseMountInfo(
      "28 1 8:2 / / rw,relatime shared:1 master:3 - ext4 /dev/sda2 rw\n"
      "garbage line\n"
      "40 28 8:17 / /media/user/MY\\040STICK rw - vfat /dev/sdb1 rw\n"
      "41 28 x:1 / /bad rw - ext4 /dev/sdc rw\n"
      "42 28 8:3 / /no-separator rw ext4 /dev/sda3 rw\n"
      "43 28 0:45 /@home /home rw - btrfs /dev/nvme0n1p2 rw");
  ASSERT_EQ(mounts.size(), 3u);
  EXPECT_EQ(mounts[0].major, 8u);
  EXPECT_EQ(mounts[0].minor, 2u);
  EXPECT_EQ(mounts[0].root, "/");
  EXPECT_EQ(mounts[0].mountPoint, "/");
  EXPECT_EQ(mounts[0].fsType, "ext4");
  EXPECT_EQ(mounts[0].source, "/dev/sda2");
  EXPECT_EQ(mounts[1].mountPoint, "/media/user/MY STICK");
  EXPECT_EQ(mounts[2].major, 0u);
  EXPECT_EQ(mounts[2].root, "/@home");
  EXPECT_EQ(mounts[2].source, "/dev/nvme0n1p2");
}

TEST(MountInfo, DecodesOnlyThreeDigitOctalEscapes) {
  const std::pair<std::string, std::string> cases[] = {{"a\\040b", "a b"},
                                                       {"tab\\011", "tab\t"},
                                                       {"back\\134slash", "back\\slash"},
                                                       {"nl\\012", "nl\n"},
                                                       {"short\\04", "short\\04"},
                                                       {"\\9999", "\\9999"},
                                                       {"plain", "plain"},
                                                       {"", ""}};
  for (const auto& [field, decoded] : cases) EXPECT_EQ(DecodeMountField(field), decoded) << field;
}

TEST(LinuxModelLine, JoinsVendorAndModelAsTheWindowProgramDoes) {
  const std::tuple<std::string, std::string, Text> cases[] = {
      {"SanDisk \n", "Cruzer Blade    \n", u"SanDisk Cruzer Blade"},
      {"ATA     \n", "Samsung SSD 860 \n", u"Samsung SSD 860"},  // libata's stand-in vendor
      {"0x1af4\n", "", u""},                                     // a bus id, not a name
      {"Kingston\n", "", u"Kingston "},                          // vendor only: trailing space
      {"", "WDC PC SN730\n", u"WDC PC SN730"},
      {"", "", u""}};
  for (const auto& [vendor, model, line] : cases) EXPECT_EQ(LinuxModelLine(vendor, model), line) << vendor;
}

TEST(DescribeLinuxDrive, HasTheShapeOfAWindowsDescription) {
  LinuxDriveFacts fixed;
  fixed.mountPoint = "/";
  fixed.capacityKnown = true;
  fixed.totalBytes = 500107862016;
  fixed.model = "Samsung SSD 860";
  fixed.layoutReadable = true;
  EXPECT_EQ(DescribeLinuxDrive(fixed), u"/\n465.762\nSamsung SSD 860\n" + Text(LAYOUT_LINE));

  LinuxDriveFacts stick;
  stick.mountPoint = "/media/ü";
  stick.removable = true;
  EXPECT_EQ(DescribeLinuxDrive(stick), u"/media/ü\nUSB\nEXT \n---\n\n---");
}

// A machine: an ATA disk with / and /boot/efi (also bind-mounted at
// /srv/data), btrfs subvolumes of an NVMe disk, a USB stick, LVM on a
// second ATA disk, and the filesystems that are not drives.
constexpr char MOUNT_INFO[] =
    "22 28 0:21 / /proc rw - proc proc rw\n"
    "23 28 0:22 / /sys rw - sysfs sysfs rw\n"
    "26 28 0:24 / /dev/shm rw - tmpfs tmpfs rw\n"
    "28 1 8:2 / / rw shared:1 - ext4 /dev/sda2 rw\n"
    "29 28 8:1 / /boot/efi rw - vfat /dev/sda1 rw\n"
    "30 28 0:45 /@home /home rw - btrfs /dev/nvme0n1p2 rw\n"
    "31 28 0:46 /@snap /mnt/snap rw - btrfs /dev/nvme0n1p2 rw\n"
    "32 28 8:2 /srv /srv/data rw - ext4 /dev/sda2 rw\n"
    "33 28 8:17 / /media/user/MY\\040STICK rw - vfat /dev/sdb1 rw\n"
    "34 28 253:0 / /data rw - xfs /dev/mapper/vg-data rw\n"
    "35 28 0:50 / /net rw - nfs4 server:/export rw\n"
    "36 28 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
    "37 28 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
    "38 28 252:0 / /var/cache rw - ext4 /dev/zram0 rw\n";

LinuxDriveProbe FixtureProbe() {
  static const std::map<std::string, std::string> FILES = {
      {"/sys/devices/pci/ata1/block/sda/sda1/partition", "1\n"},
      {"/sys/devices/pci/ata1/block/sda/sda2/partition", "2\n"},
      {"/sys/devices/pci/ata1/block/sda/removable", "0\n"},
      {"/sys/devices/pci/ata1/block/sda/device/vendor", "ATA     \n"},
      {"/sys/devices/pci/ata1/block/sda/device/model", "Samsung SSD 860 \n"},
      {"/sys/devices/pci/nvme/nvme0/nvme0n1/nvme0n1p2/partition", "2\n"},
      {"/sys/devices/pci/nvme/nvme0/nvme0n1/removable", "0\n"},
      {"/sys/devices/pci/nvme/nvme0/nvme0n1/device/model", "WDC PC SN730 SDBQNTY-512G-1001        \n"},
      {"/sys/devices/usb/block/sdb/sdb1/partition", "1\n"},
      {"/sys/devices/usb/block/sdb/removable", "1\n"},
      {"/sys/devices/usb/block/sdb/device/vendor", "SanDisk \n"},
      {"/sys/devices/usb/block/sdb/device/model", "Cruzer Blade    \n"},
      {"/sys/devices/pci/ata2/block/sdc/sdc1/partition", "1\n"},
      {"/sys/devices/pci/ata2/block/sdc/removable", "0\n"},
      {"/sys/devices/pci/ata2/block/sdc/device/vendor", "ATA     \n"},
      {"/sys/devices/pci/ata2/block/sdc/device/model", "ST2000DM008\n"},
  };
  static const std::map<std::string, std::string> LINKS = {
      {"/sys/dev/block/8:1", "/sys/devices/pci/ata1/block/sda/sda1"},
      {"/sys/dev/block/8:2", "/sys/devices/pci/ata1/block/sda/sda2"},
      {"/sys/dev/block/259:2", "/sys/devices/pci/nvme/nvme0/nvme0n1/nvme0n1p2"},
      {"/sys/dev/block/8:17", "/sys/devices/usb/block/sdb/sdb1"},
      {"/sys/dev/block/253:0", "/sys/devices/virtual/block/dm-0"},
      {"/sys/devices/virtual/block/dm-0/slaves/sdc1", "/sys/devices/pci/ata2/block/sdc/sdc1"},
      {"/sys/dev/block/11:0", "/sys/devices/pci/ata3/block/sr0"},
      {"/sys/dev/block/7:0", "/sys/devices/virtual/block/loop0"},
      {"/sys/dev/block/252:0", "/sys/devices/virtual/block/zram0"},
  };
  static const std::map<std::string, uint64_t> SIZES = {{"/", 500107862016},
                                                        {"/boot/efi", 536870912},
                                                        {"/home", 1073741824},
                                                        {"/media/user/MY STICK", 15931539456}};

  LinuxDriveProbe probe;
  probe.readText = [](const std::string& path, std::string* text) {
    auto found = FILES.find(path);
    if (found == FILES.end()) return false;
    *text = found->second;
    return true;
  };
  probe.canonicalPath = [](const std::string& path, std::string* resolved) {
    auto found = LINKS.find(path);
    if (found == LINKS.end()) return false;
    *resolved = found->second;
    return true;
  };
  probe.listNames = [](const std::string& folder) {
    return folder == "/sys/devices/virtual/block/dm-0/slaves" ? std::vector<std::string>{"sdc1"}
                                                              : std::vector<std::string>{};
  };
  probe.blockDeviceNumber = [](const std::string& path, uint32_t* major, uint32_t* minor) {
    if (path != "/dev/nvme0n1p2") return false;
    *major = 259;
    *minor = 2;
    return true;
  };
  probe.fileSystemBytes = [](const std::string& mountPoint, uint64_t* totalBytes) {
    auto found = SIZES.find(mountPoint);
    if (found == SIZES.end()) return false;
    *totalBytes = found->second;
    return true;
  };
  probe.firstSectorReadable = [](const std::string& devicePath) { return devicePath == "/dev/sda"; };
  return probe;
}

TEST(LinuxDriveList, ListsEachBlockDeviceOnceByMountPoint) {
  const Text layout(LAYOUT_LINE);
  const Text expected = u"/\n465.762\nSamsung SSD 860\n" + layout + u"\r\r" +  //
                        u"/boot/efi\n0.500\nSamsung SSD 860\n" + layout + u"\r" +
                        u"/data\n---\nST2000DM008\n---\r" +  // LVM: the disk beneath
                        u"/home\n1.000\nWDC PC SN730 SDBQNTY-512G-1001\n---\r" +
                        u"/media/user/MY STICK\nUSB\nEXT \n14.837\nSanDisk Cruzer Blade\n---\r";
  EXPECT_EQ(LinuxDriveListText(LinuxDrives(ParseMountInfo(MOUNT_INFO), FixtureProbe())), expected);
}

TEST(LinuxDriveList, IsEmptyWithoutBlockDevices) {
  EXPECT_EQ(LinuxDriveListText(
                LinuxDrives(ParseMountInfo("22 28 0:21 / /proc rw - proc proc rw\n"), FixtureProbe())),
            u"");
}

TEST(LinuxDriveList, ExcludesNetworkMemoryOpticalAndImageFileSystems) {
  for (const char* type : {"nfs", "nfs4", "cifs", "tmpfs", "ramfs", "iso9660", "udf", "squashfs"}) {
    EXPECT_TRUE(IsExcludedFileSystem(type)) << type;
  }
  for (const char* type : {"ext4", "xfs", "btrfs", "vfat", "exfat", "ntfs3", "fuseblk"}) {
    EXPECT_FALSE(IsExcludedFileSystem(type)) << type;
  }
  for (const char* name : {"ram0", "zram0", "sr0", "nbd0", "rbd1"})
    EXPECT_TRUE(IsExcludedBlockDevice(name)) << name;
  for (const char* name : {"sda1", "nvme0n1p2", "vda", "dm-0", "mmcblk0p1", "loop3"}) {
    EXPECT_FALSE(IsExcludedBlockDevice(name)) << name;
  }
}

TEST(LinuxDriveList, RealMountInfoHasTheRootMount) {
  std::set<std::string> mountPoints;
  std::string text;
  ASSERT_TRUE(NativeLinuxDriveProbe().readText("/proc/self/mountinfo", &text));
  for (const MountInfoLine& mount : ParseMountInfo(text)) mountPoints.insert(mount.mountPoint);
  EXPECT_EQ(mountPoints.count("/"), 1u);
  // The current folder lies on some mount, "/" at least.
  EXPECT_FALSE(DriveUnderTestMountPoint().empty());
}

}  // namespace
}  // namespace qm
