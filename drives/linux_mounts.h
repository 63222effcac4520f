// The mounts of a Linux system as /proc/self/mountinfo lists them, and which
// of them may be drives: pure functions over the file's text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One line of mountinfo: "id parent major:minor root mountpoint options
// [optional fields] - fstype source superoptions".
struct MountInfoLine {
  uint32_t major = 0;
  uint32_t minor = 0;
  std::string root;        // the directory of the filesystem mounted here
  std::string mountPoint;  // octal escapes (\040 and friends) decoded
  std::string fsType;
  std::string source;
};

// Every well-formed line, in the file's order; malformed lines are skipped.
std::vector<MountInfoLine> ParseMountInfo(std::string_view text);

// "\040" and the other three-digit octal escapes of mountinfo decoded;
// anything else kept as it is.
std::string DecodeMountField(std::string_view field);

// Filesystems that are never drives, whatever device they name: network
// filesystems, RAM filesystems, optical media and read-only images.
bool IsExcludedFileSystem(std::string_view fsType);

// Block devices that are never drives: RAM disks (ram, zram), optical
// drives (sr) and network block devices (nbd, rbd).
bool IsExcludedBlockDevice(std::string_view deviceName);

}  // namespace qm
