#include "console/drive_under_test.h"

#include <sys/statvfs.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "drives/capacity.h"
#include "platform/files.h"

namespace qm {
namespace {

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t at = 0;
  while (at < line.size()) {
    size_t end = line.find(' ', at);
    if (end == std::string_view::npos) end = line.size();
    if (end > at) fields.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return fields;
}

std::string Unescaped(std::string_view field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      text.push_back(
          static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
      i += 3;
    } else {
      text.push_back(field[i]);
    }
  }
  return text;
}

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
  size_t at = 0;
  while (at < mountinfo.size()) {
    size_t end = mountinfo.find('\n', at);
    if (end == std::string_view::npos) end = mountinfo.size();
    std::vector<std::string_view> fields = Fields(mountinfo.substr(at, end - at));
    at = end + 1;
    // id parent major:minor root mount-point options [optional...] - type source super-options
    size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-") ++dash;
    if (fields.size() < 5 || dash + 2 >= fields.size()) continue;
    std::string mountPoint = Unescaped(fields[4]);
    if (!Holds(mountPoint, path) || mountPoint.size() < best.mountPoint.size()) continue;
    best = {mountPoint, Unescaped(fields[dash + 2]), Unescaped(fields[dash + 1]), std::string(fields[2])};
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
