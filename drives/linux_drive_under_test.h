// The drive under test on Linux: the mount that holds the current folder,
// the device behind it, its file system, capacity and, where the system
// tells it, the model of the physical disk beneath, found as the drive
// list finds it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "drives/linux_drives.h"
#include "drives/linux_mounts.h"

namespace qm {

// The mount of mounts that holds path (absolute, no symbolic links): the
// longest mount point above it, the last one mounted when several share
// it; nullopt when none does.
std::optional<MountInfoLine> MountHolding(const std::vector<MountInfoLine>& mounts, std::string_view path);

// The mount holding the current folder as the files table spells it (a
// folder deeper than PATH_MAX included), of /proc/self/mountinfo.
std::optional<MountInfoLine> CurrentFolderMount();

// The lines shown, each ending in a line feed, names escaped:
//   Drive under test: <mount point> on <device> (<file system>)   ("?" without a mount)
//   Capacity: <FormatCapacity of totalBytes> GiB                 (when known)
//   Model: <LinuxModelLine>                                      (when not empty)
std::string DriveUnderTestLines(const std::optional<MountInfoLine>& mount, const LinuxDriveFacts& facts);

// The mount point of the mount holding the current folder, escaped, as
// DriveUnderTestLines shows it; empty when it cannot be found. The
// report's drive under test.
Text DriveUnderTestMountPoint();

}  // namespace qm
