#include "drives/linux_drives.h"

#include <algorithm>
#include <set>
#include <utility>

#include "drives/capacity.h"
#include "drives/device_queries.h"
#include "drives/escaped_name.h"
#include "platform/posix/kernel_files.h"

namespace qm {
namespace {

constexpr char16_t LF = u'\n';
constexpr char16_t CR = u'\r';
// dm and md devices stack on others; the vendor and model are those of the
// disk at the bottom, a few levels down at most.
constexpr int MAXIMUM_STACK_DEPTH = 4;

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
         probe.readText(diskFolder + "/device/vendor", &ignored) ||
         probe.readText(diskFolder + "/device/name", &ignored);
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

LinuxDriveFacts FactsOf(const MountInfoLine& mount, const BlockDevice* device, const LinuxDriveProbe& probe) {
  LinuxDriveFacts facts;
  facts.mountPoint = mount.mountPoint;
  facts.capacityKnown = probe.fileSystemBytes(mount.mountPoint, &facts.totalBytes);
  if (device == nullptr) return facts;
  std::string text;
  const std::string physical = PhysicalDiskFolder(device->diskFolder, probe);
  // A stick in a USB port reports itself removable; what stacks on one
  // (a LUKS volume on a stick) is as removable as the stick.
  facts.removable = probe.readText(physical + "/removable", &text) && Trimmed(text) == "1";
  if (!probe.readText(physical + "/device/vendor", &facts.vendor)) facts.vendor.clear();
  // SD and MMC cards give their product name instead of a model.
  if (!probe.readText(physical + "/device/model", &facts.model) &&
      !probe.readText(physical + "/device/name", &facts.model))
    facts.model.clear();
  facts.layoutReadable = probe.firstSectorReadable("/dev/" + BaseName(physical));
  return facts;
}

}  // namespace

LinuxDriveFacts LinuxDriveOfMount(const MountInfoLine& mount, const LinuxDriveProbe& probe) {
  BlockDevice device;
  const bool resolved = ResolveBlockDevice(mount, probe, &device);
  return FactsOf(mount, resolved ? &device : nullptr, probe);
}

Text LinuxModelLine(std::string_view vendor, std::string_view model) {
  std::string line;
  const std::string trimmedVendor = Trimmed(vendor);
  if (IsVendorName(trimmedVendor)) line = trimmedVendor + " ";
  line += Trimmed(model);
  return FromUtf8(EscapedName(line));
}

Text DescribeLinuxDrive(const LinuxDriveFacts& facts) {
  Text text = FromUtf8(EscapedName(facts.mountPoint));
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
    drives.push_back(FactsOf(*mount, &device, probe));
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

Text ListLinuxDrives() {
  std::string mountInfo;
  if (ReadWholeFile("/proc/self/mountinfo", mountInfo) != SourceState::Read) return {};
  return LinuxDriveListText(LinuxDrives(ParseMountInfo(mountInfo), NativeLinuxDriveProbe()));
}

}  // namespace qm
