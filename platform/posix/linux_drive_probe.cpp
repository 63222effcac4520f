// The drive list's questions answered by the files of a Linux system.
#include "platform/posix/linux_drive_probe.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/posix/kernel_files.h"

namespace qm {
namespace {

constexpr size_t SECTOR_BYTES = 512;
constexpr size_t MAXIMUM_ATTRIBUTE_BYTES = 4096;

bool ReadText(const std::string& path, std::string* text) {
  if (ReadWholeFile(path, *text) != SourceState::Read) return false;
  if (text->size() > MAXIMUM_ATTRIBUTE_BYTES) text->resize(MAXIMUM_ATTRIBUTE_BYTES);
  return true;
}

// Reading the partition table needs the disk opened for reading, which
// takes root rights, as it takes administrator rights on Windows.
bool FirstSectorReadable(const std::string& devicePath) {
  int device = open(devicePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (device < 0) return false;
  unsigned char sector[SECTOR_BYTES];
  const bool readable = pread(device, sector, sizeof sector, 0) == static_cast<ssize_t>(sizeof sector);
  close(device);
  return readable;
}

bool FileSystemBytes(const std::string& mountPoint, uint64_t* totalBytes) {
  struct statvfs status {};
  if (statvfs(mountPoint.c_str(), &status) != 0) return false;
  *totalBytes = static_cast<uint64_t>(status.f_blocks) * status.f_frsize;
  return true;
}

}  // namespace

LinuxDriveProbe LinuxDriveProbeUnder(const std::string& top) {
  LinuxDriveProbe probe;
  const std::string resolvedTop = top.empty() ? std::string() : CanonicalPath(top).value_or(top);
  probe.readText = [top](const std::string& path, std::string* text) { return ReadText(top + path, text); };
  probe.canonicalPath = [top, resolvedTop](const std::string& path, std::string* resolved) {
    std::optional<std::string> found = CanonicalPath(top + path);
    if (!found || found->compare(0, resolvedTop.size(), resolvedTop) != 0) return false;
    *resolved = found->substr(resolvedTop.size());
    if (resolved->empty()) *resolved = "/";
    return true;
  };
  probe.listNames = [top](const std::string& folder) {
    std::vector<std::string> names;
    ListFolder(top + folder, names);
    return names;
  };
  // The kernel's name of the device (/dev/mapper/vg-root leads to dm-0)
  // and its numbers from sysfs.
  probe.blockDeviceNumber = [probe](const std::string& path, uint32_t* major, uint32_t* minor) {
    std::string device;
    std::string numbers;
    if (!probe.canonicalPath(path, &device) ||
        !probe.readText("/sys/class/block/" + device.substr(device.rfind('/') + 1) + "/dev", &numbers))
      return false;
    const std::string text = Trimmed(numbers);
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    std::optional<uint32_t> first = ParseDecimal<uint32_t>(std::string_view(text).substr(0, colon));
    std::optional<uint32_t> second = ParseDecimal<uint32_t>(std::string_view(text).substr(colon + 1));
    if (!first || !second) return false;
    *major = *first;
    *minor = *second;
    return true;
  };
  probe.fileSystemBytes = [top](const std::string& mountPoint, uint64_t* totalBytes) {
    return FileSystemBytes(top + mountPoint, totalBytes);
  };
  probe.firstSectorReadable = [top](const std::string& devicePath) {
    return FirstSectorReadable(top + devicePath);
  };
  return probe;
}

LinuxDriveProbe NativeLinuxDriveProbe() { return LinuxDriveProbeUnder(""); }

}  // namespace qm
