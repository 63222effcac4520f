// The drive under test on Linux: the mount that holds the current folder,
// the device behind it, its file system, capacity and, where the system
// tells it, the device's model.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace qm {

struct MountedDrive {
  std::string mountPoint;  // empty: no mount found
  std::string device;      // the mount's source, e.g. /dev/sda2
  std::string fileSystem;
  std::string majorMinor;  // e.g. 8:2
};

// The mount of /proc/self/mountinfo text that holds path (absolute, no
// symbolic links): the longest mount point above it, the last one mounted
// when several share it. Octal escapes (\040 for a space) are undone.
MountedDrive MountHolding(std::string_view mountinfo, std::string_view path);

// A sysfs attribute as shown: surrounding blanks and the newline removed.
std::string SysfsValue(std::string_view raw);

// The lines shown, each ending in a line feed:
//   Drive under test: <mount point> on <device> (<file system>)
//   Capacity: <FormatCapacity of totalBytes> GiB    (when known)
//   Model: <model>                                  (when not empty)
std::string DriveUnderTestLines(const MountedDrive& drive, bool totalKnown, uint64_t totalBytes,
                                const std::string& model);

// Finds the drive of the current folder and writes its lines to out.
void ShowDriveUnderTest(std::FILE* out);

}  // namespace qm
