#include "drives/device_queries.h"

#include <map>
#include <vector>

#include "drives/device_answers.h"
#include "platform/storage.h"

namespace qm {
namespace {

constexpr uint32_t SHARE_READ_WRITE = DEVICE_SHARE_READ | DEVICE_SHARE_WRITE;

Text VolumePath(const Text& volume) { return u"\\\\.\\" + volume; }

// Filled on first use per drive number, kept until the program ends.
std::map<uint32_t, Text>& PhysicalLines() {
  static std::map<uint32_t, Text> lines;
  return lines;
}

}  // namespace

Text QueryDeviceNumber(const Text& volume) {
  Text result = u"?:?";
  DeviceHandle device = Storage().openDevice(VolumePath(volume), 0, 0, DEVICE_ATTRIBUTE_NORMAL);
  if (device == nullptr) return result;
  uint8_t answer[DEVICE_NUMBER_SIZE] = {};
  if (Storage().deviceControl(device, CODE_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, answer, sizeof answer)) {
    result = DeviceNumberText(answer);
  }
  Storage().closeDevice(device);
  return result;
}

Text QueryDeviceModel(const Text& volume) {
  Text result;
  DeviceHandle device = Storage().openDevice(VolumePath(volume), 0, SHARE_READ_WRITE, 0);
  if (device == nullptr) return result;
  const uint8_t query[PROPERTY_QUERY_SIZE] = {};  // StorageDeviceProperty, PropertyStandardQuery
  uint8_t answer[DEVICE_DESCRIPTOR_SIZE] = {};
  if (Storage().deviceControl(device, CODE_STORAGE_QUERY_PROPERTY, query, sizeof query, answer,
                              sizeof answer)) {
    result = ModelText(answer, sizeof answer, Storage().ansiText);
  }
  Storage().closeDevice(device);
  return result;
}

int64_t QueryDiskSize(const Text& volume) {
  uint8_t answer[DISK_GEOMETRY_SIZE] = {};
  DeviceHandle device = Storage().openDevice(VolumePath(volume), DEVICE_GENERIC_READ | DEVICE_GENERIC_WRITE,
                                             SHARE_READ_WRITE, 0);
  if (device != nullptr) {
    // Success is not examined: a failed request leaves the zeros in place.
    Storage().deviceControl(device, CODE_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0, answer, sizeof answer);
    Storage().closeDevice(device);
  }
  return DiskSizeBytes(answer);
}

Text PhysicalDriveLine(uint32_t physicalDrive) {
  Text& kept = PhysicalLines()[physicalDrive];
  if (!kept.empty()) return kept;
  Text line = u"---";
  Text path = u"\\\\.\\PhysicalDrive" + DecimalText(uint64_t{physicalDrive});
  DeviceHandle device = Storage().openDevice(path, 0, SHARE_READ_WRITE, 0);
  if (device != nullptr) {
    std::vector<uint8_t> answer(DRIVE_LAYOUT_SIZE, 0);
    if (Storage().deviceControl(device, CODE_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, answer.data(),
                                DRIVE_LAYOUT_SIZE) &&
        KnownPartitionStyle(answer.data(), answer.size())) {
      line = Text(LAYOUT_LINE);
    }
    Storage().closeDevice(device);
  }
  kept = line;
  return line;
}

void ForgetPhysicalDriveLines() { PhysicalLines().clear(); }

}  // namespace qm
