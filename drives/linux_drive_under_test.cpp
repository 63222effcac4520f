#include "drives/linux_drive_under_test.h"

#include "drives/capacity.h"
#include "drives/escaped_name.h"
#include "platform/files.h"
#include "platform/posix/kernel_files.h"

namespace qm {
namespace {

bool Holds(const std::string& mountPoint, std::string_view path) {
  if (mountPoint == "/") return !path.empty() && path[0] == '/';
  if (path.substr(0, mountPoint.size()) != mountPoint) return false;
  return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

}  // namespace

std::optional<MountInfoLine> MountHolding(const std::vector<MountInfoLine>& mounts, std::string_view path) {
  std::optional<MountInfoLine> best;
  for (const MountInfoLine& mount : mounts) {
    if (!Holds(mount.mountPoint, path) || (best && mount.mountPoint.size() < best->mountPoint.size()))
      continue;
    best = mount;
  }
  return best;
}

std::optional<MountInfoLine> CurrentFolderMount() {
  std::string mountInfo;
  if (ReadWholeFile("/proc/self/mountinfo", mountInfo) != SourceState::Read) return std::nullopt;
  return MountHolding(ParseMountInfo(mountInfo), Utf8(Files().currentDirectory()));
}

std::string DriveUnderTestLines(const std::optional<MountInfoLine>& mount, const LinuxDriveFacts& facts) {
  std::string lines = "Drive under test: ";
  if (!mount) {
    lines += "?\n";
  } else {
    lines += EscapedName(mount->mountPoint) + " on " + EscapedName(mount->source) + " (" +
             EscapedName(mount->fsType) + ")\n";
  }
  if (facts.capacityKnown)
    lines += "Capacity: " + Utf8(FormatCapacity(static_cast<int64_t>(facts.totalBytes))) + " GiB\n";
  const std::string model = Utf8(LinuxModelLine(facts.vendor, facts.model));
  if (!model.empty()) lines += "Model: " + model + "\n";
  return lines;
}

Text DriveUnderTestMountPoint() {
  std::optional<MountInfoLine> mount = CurrentFolderMount();
  return mount ? FromUtf8(EscapedName(mount->mountPoint)) : Text();
}

}  // namespace qm
