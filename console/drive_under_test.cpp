#include "console/drive_under_test.h"

#include <sys/statvfs.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "console/linux_mounts.h"
#include "drives/capacity.h"
#include "platform/files.h"

namespace qm {
namespace {

bool Holds(const std::string& mountPoint, std::string_view path) {
  if (mountPoint == "/") return !path.empty() && path[0] == '/';
  if (path.substr(0, mountPoint.size()) != mountPoint) return false;
  return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::string();
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The model of the disk: of the device itself, or of the whole disk when
// the device is a partition.
std::string DeviceModel(const std::string& majorMinor) {
  if (majorMinor.empty()) return std::string();
  const std::string base = "/sys/dev/block/" + majorMinor;
  for (const char* candidate : {"/device/model", "/../device/model"}) {
    std::string model = SysfsValue(ReadFile(base + candidate));
    if (!model.empty()) return model;
  }
  return std::string();
}

}  // namespace

MountedDrive MountHolding(std::string_view mountinfo, std::string_view path) {
  MountedDrive best;
  for (const MountInfoLine& mount : ParseMountInfo(mountinfo)) {
    if (!Holds(mount.mountPoint, path) || mount.mountPoint.size() < best.mountPoint.size()) continue;
    best = {mount.mountPoint, mount.source, mount.fsType,
            std::to_string(mount.major) + ":" + std::to_string(mount.minor)};
  }
  return best;
}

std::string SysfsValue(std::string_view raw) {
  const char* blanks = " \t\r\n";
  size_t first = raw.find_first_not_of(blanks);
  if (first == std::string_view::npos) return std::string();
  return std::string(raw.substr(first, raw.find_last_not_of(blanks) - first + 1));
}

std::string DriveUnderTestLines(const MountedDrive& drive, bool totalKnown, uint64_t totalBytes,
                                const std::string& model) {
  std::string lines = "Drive under test: ";
  if (drive.mountPoint.empty()) {
    lines += "?\n";
  } else {
    lines += drive.mountPoint + " on " + drive.device + " (" + drive.fileSystem + ")\n";
  }
  if (totalKnown) lines += "Capacity: " + Utf8(FormatCapacity(static_cast<int64_t>(totalBytes))) + " GiB\n";
  if (!model.empty()) lines += "Model: " + model + "\n";
  return lines;
}

void ShowDriveUnderTest(std::FILE* out) {
  const std::string folder = Utf8(Files().currentDirectory());
  MountedDrive drive = MountHolding(ReadFile("/proc/self/mountinfo"), folder);
  struct statvfs volume;
  bool totalKnown = !folder.empty() && statvfs(folder.c_str(), &volume) == 0;
  uint64_t totalBytes = totalKnown ? static_cast<uint64_t>(volume.f_blocks) * volume.f_frsize : 0;
  std::fputs(DriveUnderTestLines(drive, totalKnown, totalBytes, DeviceModel(drive.majorMinor)).c_str(), out);
  std::fflush(out);
}

}  // namespace qm
