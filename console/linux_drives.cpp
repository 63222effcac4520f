#include "console/linux_drives.h"

#include <algorithm>
#include <set>
#include <utility>

#include "drives/capacity.h"
#include "drives/device_queries.h"

namespace qm {
namespace {

constexpr char16_t LF = u'\n';
constexpr char16_t CR = u'\r';
// dm and md devices stack on others; the vendor and model are those of the
// disk at the bottom, a few levels down at most.
constexpr int MAXIMUM_STACK_DEPTH = 4;

std::string_view TrimmedBytes(std::string_view text) {
  const char* blanks = " \t\r\n";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

bool IsVendorName(std::string_view vendor) {
  return !vendor.empty() && vendor != "ATA" && vendor.substr(0, 2) != "0x";
}

std::string Parent(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A block device and the sysfs folder of the disk it lives on.
struct BlockDevice {
  uint32_t major = 0;
  uint32_t minor = 0;
  std::string name;        // sda1, vda, dm-0
  std::string diskFolder;  // /sys/devices/.../block/sda
};

// The sysfs folder of the whole disk holding device folder: a partition's
// parent, or the device itself.
std::string DiskFolderOf(const std::string& deviceFolder, const LinuxDriveProbe& probe) {
  std::string ignored;
  return probe.readText(deviceFolder + "/partition", &ignored) ? Parent(deviceFolder) : deviceFolder;
}

bool HasIdentity(const std::string& diskFolder, const LinuxDriveProbe& probe) {
  std::string ignored;
  return probe.readText(diskFolder + "/device/model", &ignored) ||
         probe.readText(diskFolder + "/device/vendor", &ignored);
}

// Down the stack of dm and md devices to a disk that names its maker.
std::string PhysicalDiskFolder(std::string diskFolder, const LinuxDriveProbe& probe) {
  for (int depth = 0; depth < MAXIMUM_STACK_DEPTH && !HasIdentity(diskFolder, probe); ++depth) {
    std::vector<std::string> slaves = probe.listNames(diskFolder + "/slaves");
    if (slaves.empty()) break;
    std::sort(slaves.begin(), slaves.end());
    std::string lower;
    if (!probe.canonicalPath(diskFolder + "/slaves/" + slaves.front(), &lower)) break;
    diskFolder = DiskFolderOf(lower, probe);
  }
  return diskFolder;
}

bool ResolveBlockDevice(const MountInfoLine& mount, const LinuxDriveProbe& probe, BlockDevice* device) {
  device->major = mount.major;
  device->minor = mount.minor;
  // btrfs and some FUSE filesystems show an anonymous device number: the
  // source names the real one.
  if (device->major == 0) {
    if (mount.source.substr(0, 5) != "/dev/" ||
        !probe.blockDeviceNumber(mount.source, &device->major, &device->minor)) {
      return false;
    }
  }
  std::string folder;
  const std::string link =
      "/sys/dev/block/" + std::to_string(device->major) + ":" + std::to_string(device->minor);
  if (!probe.canonicalPath(link, &folder)) return false;
  device->name = BaseName(folder);
  if (IsExcludedBlockDevice(device->name)) return false;
  device->diskFolder = DiskFolderOf(folder, probe);
  return true;
}

LinuxDriveFacts FactsOf(const MountInfoLine& mount, const BlockDevice& device, const LinuxDriveProbe& probe) {
  LinuxDriveFacts facts;
  facts.mountPoint = mount.mountPoint;
  std::string text;
  facts.removable = probe.readText(device.diskFolder + "/removable", &text) && TrimmedBytes(text) == "1";
  facts.capacityKnown = probe.fileSystemBytes(mount.mountPoint, &facts.totalBytes);
  const std::string physical = PhysicalDiskFolder(device.diskFolder, probe);
  if (!probe.readText(physical + "/device/vendor", &facts.vendor)) facts.vendor.clear();
  if (!probe.readText(physical + "/device/model", &facts.model)) facts.model.clear();
  facts.layoutReadable = probe.firstSectorReadable("/dev/" + BaseName(device.diskFolder));
  return facts;
}

}  // namespace

Text LinuxModelLine(std::string_view vendor, std::string_view model) {
  Text line;
  std::string_view trimmedVendor = TrimmedBytes(vendor);
  if (IsVendorName(trimmedVendor)) line = FromUtf8(trimmedVendor) + u" ";
  line += FromUtf8(TrimmedBytes(model));
  return line;
}

Text DescribeLinuxDrive(const LinuxDriveFacts& facts) {
  Text text = FromUtf8(facts.mountPoint);
  if (facts.removable) text += Text(1, LF) + u"USB" + LF + u"EXT ";
  text += LF;
  text += facts.capacityKnown ? FormatCapacity(static_cast<int64_t>(facts.totalBytes)) : Text(u"---");
  text += LF + LinuxModelLine(facts.vendor, facts.model);
  text += LF;
  text += facts.layoutReadable ? Text(LAYOUT_LINE) : Text(u"---");
  return text;
}

std::vector<LinuxDriveFacts> LinuxDrives(const std::vector<MountInfoLine>& mounts,
                                         const LinuxDriveProbe& probe) {
  std::vector<std::pair<const MountInfoLine*, BlockDevice>> candidates;
  for (const MountInfoLine& mount : mounts) {
    BlockDevice device;
    if (IsExcludedFileSystem(mount.fsType) || !ResolveBlockDevice(mount, probe, &device)) continue;
    candidates.emplace_back(&mount, device);
  }
  // Mounts of a filesystem's top first, then by mount point: each device is
  // kept at the first of its mounts in that order.
  std::stable_sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
    const bool aTop = a.first->root == "/", bTop = b.first->root == "/";
    if (aTop != bTop) return aTop;
    return a.first->mountPoint < b.first->mountPoint;
  });
  std::set<std::pair<uint32_t, uint32_t>> seen;
  std::vector<LinuxDriveFacts> drives;
  for (const auto& [mount, device] : candidates) {
    if (!seen.insert({device.major, device.minor}).second) continue;
    drives.push_back(FactsOf(*mount, device, probe));
  }
  std::sort(drives.begin(), drives.end(),
            [](const LinuxDriveFacts& a, const LinuxDriveFacts& b) { return a.mountPoint < b.mountPoint; });
  return drives;
}

Text LinuxDriveListText(const std::vector<LinuxDriveFacts>& drives) {
  Text list;
  for (const LinuxDriveFacts& drive : drives) {
    list += DescribeLinuxDrive(drive);
    list += CR;
    if (drive.mountPoint == "/") list += CR;
  }
  return list;
}

std::string DriveListLines(const Text& driveListText) {
  std::string lines = Utf8(driveListText);
  std::replace(lines.begin(), lines.end(), '\r', '\n');
  return lines;
}

}  // namespace qm
