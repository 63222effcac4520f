#include "drives/linux_mounts.h"

#include <array>
#include <cstdint>

#include "platform/text.h"

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

bool ParseNumber(std::string_view digits, uint32_t* value) {
  uint64_t number = 0;
  if (!ParseWholeNumber(digits, UINT32_MAX, &number)) return false;
  *value = static_cast<uint32_t>(number);
  return true;
}

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string DecodeMountField(std::string_view field) {
  std::string decoded;
  decoded.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
        IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
      int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      if (value < 256) {
        decoded.push_back(static_cast<char>(value));
        i += 3;
        continue;
      }
    }
    decoded.push_back(field[i]);
  }
  return decoded;
}

std::vector<MountInfoLine> ParseMountInfo(std::string_view text) {
  std::vector<MountInfoLine> mounts;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::vector<std::string_view> fields = Fields(text.substr(at, end - at));
    at = end + 1;

    // Six fixed fields, optional ones up to the lone "-", then three more.
    size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (fields.size() < 6 || separator + 2 >= fields.size()) continue;
    std::string_view device = fields[2];
    size_t colon = device.find(':');
    MountInfoLine mount;
    if (colon == std::string_view::npos || !ParseNumber(device.substr(0, colon), &mount.major) ||
        !ParseNumber(device.substr(colon + 1), &mount.minor)) {
      continue;
    }
    mount.root = DecodeMountField(fields[3]);
    mount.mountPoint = DecodeMountField(fields[4]);
    mount.fsType = DecodeMountField(fields[separator + 1]);
    mount.source = DecodeMountField(fields[separator + 2]);
    mounts.push_back(std::move(mount));
  }
  return mounts;
}

bool IsExcludedFileSystem(std::string_view fsType) {
  static constexpr std::array<std::string_view, 24> EXCLUDED = {
      // network
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "9p", "afs", "ceph", "glusterfs", "lustre",
      "fuse.sshfs", "fuse.rclone", "davfs", "fuse.davfs2",
      // memory and pseudo
      "tmpfs", "ramfs", "devtmpfs", "proc", "sysfs", "overlay",
      // optical media and read-only images
      "iso9660", "udf", "squashfs"};
  for (std::string_view excluded : EXCLUDED) {
    if (fsType == excluded) return true;
  }
  return false;
}

bool IsExcludedBlockDevice(std::string_view deviceName) {
  for (std::string_view prefix : {"ram", "zram", "sr", "nbd", "rbd"}) {
    if (StartsWith(deviceName, prefix)) return true;
  }
  return false;
}

}  // namespace qm
