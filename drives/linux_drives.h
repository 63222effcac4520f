// The drive list of the console edition on Linux: every mounted filesystem
// of a block device, described the way the window program describes a
// drive letter, with the mount point in the letter's place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drives/linux_mounts.h"
#include "platform/posix/linux_drive_probe.h"
#include "platform/text.h"

namespace qm {

// What a drive's description is made of.
struct LinuxDriveFacts {
  std::string mountPoint;  // as the system spells it; shown escaped (EscapedName)
  bool removable = false;
  bool capacityKnown = false;
  uint64_t totalBytes = 0;
  // Of the physical disk beneath partitions, LVM, md, dm-crypt and the
  // like, as sysfs gives them, padding included.
  std::string vendor;
  std::string model;
  bool layoutReadable = false;
};

// "vendor model" as the window program's model line joins them: the
// trimmed vendor and one space when there is a vendor, then the trimmed
// model. libata's stand-in vendor "ATA" and bus ids such as "0x1af4" are
// not vendor names and are left out. Shown escaped (EscapedName).
Text LinuxModelLine(std::string_view vendor, std::string_view model);

// Lines separated by a line feed: the mount point, escaped; "USB" and "EXT " when
// removable; the capacity (FormatCapacity) or "---"; the model line; the
// layout line (52 hyphens) when the disk's partition table could be read,
// else "---".
Text DescribeLinuxDrive(const LinuxDriveFacts& facts);

// The facts of the drive of one mount, found as for the list: the block
// device it names (a btrfs mount's by its source), the disk of a
// partition, and down through dm and md devices to a physical disk that
// names its maker. A mount of no block device gives the mount point and
// capacity alone.
LinuxDriveFacts LinuxDriveOfMount(const MountInfoLine& mount, const LinuxDriveProbe& probe);

// The facts of every drive among mounts, one per block device, ordered by
// mount point. A device mounted more than once is listed at its mount of
// the filesystem's top (root "/") first, else at its first mount point.
std::vector<LinuxDriveFacts> LinuxDrives(const std::vector<MountInfoLine>& mounts,
                                         const LinuxDriveProbe& probe);

// The descriptions, each followed by a carriage return; the root "/", the
// system's drive, is followed by a second one, as C: is.
Text LinuxDriveListText(const std::vector<LinuxDriveFacts>& drives);

// LinuxDriveListText of /proc/self/mountinfo with the native probe.
Text ListLinuxDrives();

}  // namespace qm
