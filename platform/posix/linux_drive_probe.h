// The questions the Linux drive list asks of the system beyond mountinfo,
// as a table of functions: the native probe answers them from sysfs, /dev
// and statvfs; tests answer them from a made-up tree.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// The probe over /sys, /dev and statvfs below the folder top: "" for this
// machine, a made-up tree in tests (its symbolic links relative to it).
LinuxDriveProbe LinuxDriveProbeUnder(const std::string& top);
LinuxDriveProbe NativeLinuxDriveProbe();

}  // namespace qm
