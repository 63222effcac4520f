// Storage: the logical drives, their volumes, and device handles for
// control requests to the storage stack, as a table of functions (see
// files.h). Tests put a fake storage layer in force; the POSIX backend has
// no drive letters and opens no devices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/text.h"

namespace qm {

// An open device. nullptr stands for "could not be opened".
using DeviceHandle = struct DeviceObject*;

// Values that CreateFileW and DeviceIoControl take, as the system defines
// them. The Windows backend checks them against its headers.
constexpr uint32_t DEVICE_GENERIC_READ = 0x80000000;
constexpr uint32_t DEVICE_GENERIC_WRITE = 0x40000000;
constexpr uint32_t DEVICE_SHARE_READ = 0x1;
constexpr uint32_t DEVICE_SHARE_WRITE = 0x2;
constexpr uint32_t DEVICE_ATTRIBUTE_NORMAL = 0x80;

// Control codes (IOCTL_STORAGE_GET_DEVICE_NUMBER and friends).
constexpr uint32_t CODE_STORAGE_GET_DEVICE_NUMBER = 0x2D1080;
constexpr uint32_t CODE_STORAGE_QUERY_PROPERTY = 0x2D1400;
constexpr uint32_t CODE_DISK_GET_DRIVE_GEOMETRY_EX = 0x700A0;
constexpr uint32_t CODE_DISK_GET_DRIVE_LAYOUT_EX = 0x70050;

// GetDriveTypeW's answers.
constexpr uint32_t DRIVE_TYPE_UNKNOWN = 0;
constexpr uint32_t DRIVE_TYPE_NO_ROOT_DIR = 1;
constexpr uint32_t DRIVE_TYPE_REMOVABLE = 2;
constexpr uint32_t DRIVE_TYPE_FIXED = 3;
constexpr uint32_t DRIVE_TYPE_REMOTE = 4;
constexpr uint32_t DRIVE_TYPE_CDROM = 5;
constexpr uint32_t DRIVE_TYPE_RAMDISK = 6;

struct StorageOps {
  // Opens an existing device (\\.\C:, \\.\PhysicalDrive0) with the given
  // access, share mode and flags and attributes; no security attributes, no
  // template. Returns nullptr when the handle is invalid.
  DeviceHandle (*openDevice)(const Text& path, uint32_t access, uint32_t share, uint32_t flagsAndAttributes);

  // One synchronous control request. input may be null with inputSize 0.
  // Returns whether the request succeeded; the count of bytes returned is
  // not passed on. A failed request may or may not have written output.
  bool (*deviceControl)(DeviceHandle device, uint32_t code, const void* input, uint32_t inputSize,
                        void* output, uint32_t outputSize);

  // Closes a handle from openDevice. nullptr is ignored.
  void (*closeDevice)(DeviceHandle device);

  // Bit n set: drive letter "A"+n exists. 0 on failure.
  uint32_t (*logicalDrives)();

  // The drive type of a root such as C:\ (one of the DRIVE_TYPE_ values,
  // or any other number the system answers).
  uint32_t (*driveType)(const Text& root);

  // Whether the volume at root answers GetVolumeInformationW (a medium is
  // present and its file system readable). The names are not passed on.
  bool (*volumeReadable)(const Text& root);

  // The volume's total size in bytes. Returns false on failure.
  bool (*volumeTotalBytes)(const Text& root, uint64_t* totalBytes);

  // The operating system's major version. Returns false when it cannot be
  // determined.
  bool (*osMajorVersion)(uint32_t* major);

  // Bytes in the system ANSI code page to text.
  Text (*ansiText)(std::string_view bytes);
};

// The table in force (see Files()).
const StorageOps& Storage();

// The backend's own table.
const StorageOps& NativeStorageOps();

// Puts ops in force; returns the table it replaced.
StorageOps SetStorageOps(const StorageOps& ops);

}  // namespace qm
