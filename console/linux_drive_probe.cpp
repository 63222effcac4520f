// The drive list's questions answered by the running Linux system.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "console/drive_under_test.h"
#include "console/linux_drives.h"

namespace qm {
namespace {

constexpr size_t SECTOR_BYTES = 512;
constexpr size_t MAXIMUM_ATTRIBUTE_BYTES = 4096;

bool ReadWholeFile(const std::string& path, std::string* text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  text->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

bool ReadText(const std::string& path, std::string* text) {
  if (!ReadWholeFile(path, text)) return false;
  if (text->size() > MAXIMUM_ATTRIBUTE_BYTES) text->resize(MAXIMUM_ATTRIBUTE_BYTES);
  return true;
}

bool CanonicalPath(const std::string& path, std::string* resolved) {
  char buffer[PATH_MAX];
  if (realpath(path.c_str(), buffer) == nullptr) return false;
  *resolved = buffer;
  return true;
}

std::vector<std::string> ListNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* directory = opendir(folder.c_str());
  if (directory == nullptr) return names;
  while (const dirent* entry = readdir(directory)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(directory);
  return names;
}

bool BlockDeviceNumber(const std::string& path, uint32_t* major, uint32_t* minor) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISBLK(status.st_mode)) return false;
  *major = major(status.st_rdev);
  *minor = minor(status.st_rdev);
  return true;
}

bool FileSystemBytes(const std::string& mountPoint, uint64_t* totalBytes) {
  struct statvfs status {};
  if (statvfs(mountPoint.c_str(), &status) != 0) return false;
  *totalBytes = static_cast<uint64_t>(status.f_blocks) * status.f_frsize;
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

}  // namespace

LinuxDriveProbe NativeLinuxDriveProbe() {
  return {ReadText, CanonicalPath, ListNames, BlockDeviceNumber, FileSystemBytes, FirstSectorReadable};
}

Text ListLinuxDrives() {
  std::string mountInfo;
  if (!ReadWholeFile("/proc/self/mountinfo", &mountInfo)) return {};
  return LinuxDriveListText(LinuxDrives(ParseMountInfo(mountInfo), NativeLinuxDriveProbe()));
}

Text DriveUnderTestMountPoint() {
  std::string mountInfo;
  char folder[PATH_MAX];
  if (!ReadWholeFile("/proc/self/mountinfo", &mountInfo) || getcwd(folder, sizeof folder) == nullptr)
    return {};
  return FromUtf8(MountHolding(mountInfo, folder).mountPoint);
}

Text ShowDriveList(std::FILE* out) {
  Text list = ListLinuxDrives();
  std::fprintf(out, "Drives:\n%s", DriveListLines(list).c_str());
  std::fflush(out);
  return list;
}

}  // namespace qm
