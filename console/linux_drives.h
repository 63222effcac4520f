// The drive list of the console edition on Linux: every mounted filesystem
// of a block device, described the way the window program describes a
// drive letter, with the mount point in the letter's place.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "console/linux_mounts.h"
#include "platform/text.h"

namespace qm {

// What the list needs to know about the system beyond mountinfo. The
// native probe reads sysfs and /dev; tests hand in their own.
struct LinuxDriveProbe {
  // A small text file such as /sys/block/sda/removable; false when unreadable.
  std::function<bool(const std::string& path, std::string* text)> readText;
  // The path with every symbolic link resolved; false when it does not exist.
  std::function<bool(const std::string& path, std::string* resolved)> canonicalPath;
  // The names in a folder (for /sys/block/X/slaves); empty when none.
  std::function<std::vector<std::string>(const std::string& folder)> listNames;
  // Major and minor number of the block device a path such as /dev/sda1
  // or /dev/mapper/vg-root names.
  std::function<bool(const std::string& path, uint32_t* major, uint32_t* minor)> blockDeviceNumber;
  // Total bytes of the filesystem mounted at mountPoint.
  std::function<bool(const std::string& mountPoint, uint64_t* totalBytes)> fileSystemBytes;
  // Whether the first sector of a disk such as /dev/sda can be read.
  std::function<bool(const std::string& devicePath)> firstSectorReadable;
};

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

// The probe over /sys, /dev and statvfs below the folder top: "" for this
// machine, a made-up tree in tests (its symbolic links relative to it).
LinuxDriveProbe LinuxDriveProbeUnder(const std::string& top);
LinuxDriveProbe NativeLinuxDriveProbe();

// LinuxDriveListText of /proc/self/mountinfo with the native probe.
Text ListLinuxDrives();

// The mount point of the mount holding the current folder (the drive under
// test), escaped, as ShowDriveUnderTest shows it; empty when it cannot be
// found.
Text DriveUnderTestMountPoint();

// The list as lines for a terminal: carriage returns and line feeds both
// end a line.
std::string DriveListLines(const Text& driveListText);

// Lists the drives (ListLinuxDrives), writes "Drives:" and the list's lines
// to out, and returns the list.
Text ShowDriveList(std::FILE* out);

}  // namespace qm
