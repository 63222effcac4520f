// Storage on Windows: drive letters, volume information, and device handles
// for DeviceIoControl, straight through.
#include <vector>

#include "platform/storage.h"
#include "platform/win32/wide.h"

#include <winioctl.h>

namespace qm {

static_assert(DEVICE_GENERIC_READ == GENERIC_READ && DEVICE_GENERIC_WRITE == GENERIC_WRITE);
static_assert(DEVICE_SHARE_READ == FILE_SHARE_READ && DEVICE_SHARE_WRITE == FILE_SHARE_WRITE);
static_assert(DEVICE_ATTRIBUTE_NORMAL == FILE_ATTRIBUTE_NORMAL);
static_assert(CODE_STORAGE_GET_DEVICE_NUMBER == IOCTL_STORAGE_GET_DEVICE_NUMBER);
static_assert(CODE_STORAGE_QUERY_PROPERTY == IOCTL_STORAGE_QUERY_PROPERTY);
static_assert(CODE_DISK_GET_DRIVE_GEOMETRY_EX == IOCTL_DISK_GET_DRIVE_GEOMETRY_EX);
static_assert(CODE_DISK_GET_DRIVE_LAYOUT_EX == IOCTL_DISK_GET_DRIVE_LAYOUT_EX);
static_assert(DRIVE_TYPE_UNKNOWN == DRIVE_UNKNOWN && DRIVE_TYPE_NO_ROOT_DIR == DRIVE_NO_ROOT_DIR);
static_assert(DRIVE_TYPE_REMOVABLE == DRIVE_REMOVABLE && DRIVE_TYPE_FIXED == DRIVE_FIXED);
static_assert(DRIVE_TYPE_REMOTE == DRIVE_REMOTE && DRIVE_TYPE_CDROM == DRIVE_CDROM);
static_assert(DRIVE_TYPE_RAMDISK == DRIVE_RAMDISK);

namespace {

HANDLE Native(DeviceHandle device) { return reinterpret_cast<HANDLE>(device); }

DeviceHandle OpenDevice(const Text& path, uint32_t access, uint32_t share, uint32_t flagsAndAttributes) {
  HANDLE handle = CreateFileW(Wide(path), access, share, nullptr, OPEN_EXISTING, flagsAndAttributes, nullptr);
  return handle == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<DeviceHandle>(handle);
}

bool DeviceControl(DeviceHandle device, uint32_t code, const void* input, uint32_t inputSize, void* output,
                   uint32_t outputSize) {
  DWORD returned = 0;
  return DeviceIoControl(Native(device), code, const_cast<void*>(input), inputSize, output, outputSize,
                         &returned, nullptr) != FALSE;
}

void CloseDevice(DeviceHandle device) {
  if (device != nullptr) CloseHandle(Native(device));
}

uint32_t LogicalDrives() { return GetLogicalDrives(); }

uint32_t DriveType(const Text& root) { return GetDriveTypeW(Wide(root)); }

bool VolumeReadable(const Text& root) {
  wchar_t volumeName[256] = {};
  wchar_t fileSystemName[256] = {};
  return GetVolumeInformationW(Wide(root), volumeName, 255, nullptr, nullptr, nullptr, fileSystemName, 255) !=
         FALSE;
}

bool VolumeTotalBytes(const Text& root, uint64_t* totalBytes) {
  ULARGE_INTEGER total{};
  if (!GetDiskFreeSpaceExW(Wide(root), nullptr, &total, nullptr)) return false;
  *totalBytes = total.QuadPart;
  return true;
}

// RtlGetVersion tells the truth whatever the manifest says; GetVersionExW
// is the fallback where ntdll does not export it.
bool OsMajorVersion(uint32_t* major) {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  FARPROC proc = ntdll != nullptr ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
  if (proc != nullptr) {
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(proc));
    if (rtlGetVersion(&info) != 0) return false;
  } else if (!GetVersionExW(&info)) {
    return false;
  }
  *major = info.dwMajorVersion;
  return true;
}

Text AnsiText(std::string_view bytes) {
  if (bytes.empty()) return Text();
  int count = static_cast<int>(bytes.size());
  int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, nullptr, 0);
  if (length <= 0) return Text();
  std::vector<wchar_t> wide(static_cast<size_t>(length));
  length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, wide.data(), length);
  return length <= 0 ? Text() : FromWide(wide.data(), static_cast<size_t>(length));
}

const StorageOps WIN32_STORAGE_OPS = {OpenDevice,       DeviceControl,  CloseDevice,
                                      LogicalDrives,    DriveType,      VolumeReadable,
                                      VolumeTotalBytes, OsMajorVersion, AnsiText};

}  // namespace

const StorageOps& NativeStorageOps() { return WIN32_STORAGE_OPS; }

}  // namespace qm
