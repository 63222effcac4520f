// The drive-letter storage table on POSIX systems: no drive letters and no
// storage-stack devices, so every question answers "nothing". Linux drives
// are found from the mounts instead: drives/linux_drives.* and
// drives/linux_drive_under_test.*, which ask the system through
// platform/posix/linux_drive_probe.*.
#include "platform/storage.h"

namespace qm {
namespace {

DeviceHandle OpenDevice(const Text&, uint32_t, uint32_t, uint32_t) { return nullptr; }

bool DeviceControl(DeviceHandle, uint32_t, const void*, uint32_t, void*, uint32_t) { return false; }

void CloseDevice(DeviceHandle) {}

uint32_t LogicalDrives() { return 0; }

uint32_t DriveType(const Text&) { return DRIVE_TYPE_NO_ROOT_DIR; }

bool VolumeReadable(const Text&) { return false; }

bool VolumeTotalBytes(const Text&, uint64_t*) { return false; }

bool OsMajorVersion(uint32_t*) { return false; }

// Device strings are ASCII in practice; other bytes are taken as Latin-1.
Text AnsiText(std::string_view bytes) {
  Text text;
  text.reserve(bytes.size());
  for (char byte : bytes) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(byte)));
  return text;
}

const StorageOps POSIX_STORAGE_OPS = {OpenDevice,       DeviceControl,  CloseDevice,
                                      LogicalDrives,    DriveType,      VolumeReadable,
                                      VolumeTotalBytes, OsMajorVersion, AnsiText};

}  // namespace

const StorageOps& NativeStorageOps() { return POSIX_STORAGE_OPS; }

}  // namespace qm
