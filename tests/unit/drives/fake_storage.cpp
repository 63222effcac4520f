#include "tests/unit/drives/fake_storage.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "drives/device_answers.h"
#include "drives/device_queries.h"

namespace qm {
namespace {

FakeStorage fake;

// One record per open handle; its address is the handle.
struct DeviceObjectRecord {
  Text path;
};
std::vector<std::unique_ptr<DeviceObjectRecord>> openDevices;

Text RootLetterPath(char16_t letter) { return u"\\\\.\\" + Text(1, letter) + u":"; }

FakeDrive* DriveAtRoot(const Text& root) {
  if (root.size() != 3 || root[1] != u':' || root[2] != u'\\') return nullptr;
  auto found = fake.drives.find(root[0]);
  return found == fake.drives.end() ? nullptr : &found->second;
}

FakeDrive* DriveAtPath(const Text& path) {
  for (auto& [letter, drive] : fake.drives) {
    if (path == RootLetterPath(letter)) return &drive;
  }
  return nullptr;
}

bool IsPhysicalDrive0(const Text& path) { return path == u"\\\\.\\PhysicalDrive0"; }

DeviceHandle OpenDevice(const Text& path, uint32_t access, uint32_t share, uint32_t flags) {
  fake.opens.push_back({path, access, share, flags});
  FakeDrive* drive = DriveAtPath(path);
  bool opens = drive != nullptr ? drive->opens : IsPhysicalDrive0(path) && fake.physicalOpens;
  if (!opens) return nullptr;
  openDevices.push_back(std::make_unique<DeviceObjectRecord>(DeviceObjectRecord{path}));
  ++fake.openHandles;
  return reinterpret_cast<DeviceHandle>(openDevices.back().get());
}

DeviceObjectRecord* Record(DeviceHandle device) {
  for (auto& record : openDevices) {
    if (reinterpret_cast<DeviceHandle>(record.get()) == device) return record.get();
  }
  return nullptr;
}

bool DeviceControl(DeviceHandle device, uint32_t code, const void* input, uint32_t inputSize, void* output,
                   uint32_t outputSize) {
  DeviceObjectRecord* record = Record(device);
  if (record == nullptr) return false;
  auto* out = static_cast<uint8_t*>(output);
  const auto* in = static_cast<const uint8_t*>(input);
  FakeRequest request{record->path, code, std::vector<uint8_t>(in, in + (in != nullptr ? inputSize : 0)),
                      outputSize, std::all_of(out, out + outputSize, [](uint8_t b) { return b == 0; })};
  fake.requests.push_back(request);

  if (IsPhysicalDrive0(record->path)) {
    if (!fake.physicalAnswers || code != CODE_DISK_GET_DRIVE_LAYOUT_EX || outputSize < 4) return false;
    std::memcpy(out, &fake.partitionStyle, 4);  // little-endian host
    return true;
  }
  FakeDrive* drive = DriveAtPath(record->path);
  if (drive == nullptr) return false;
  const std::vector<uint8_t>* answer = code == CODE_STORAGE_GET_DEVICE_NUMBER    ? &drive->deviceNumber
                                       : code == CODE_STORAGE_QUERY_PROPERTY     ? &drive->descriptor
                                       : code == CODE_DISK_GET_DRIVE_GEOMETRY_EX ? &drive->geometry
                                                                                 : nullptr;
  if (answer == nullptr) return false;
  if (drive->answers || drive->writesOnFailure) {
    std::memcpy(out, answer->data(), std::min<size_t>(answer->size(), outputSize));
  }
  return drive->answers;
}

void CloseDevice(DeviceHandle device) {
  if (device == nullptr) return;
  auto found = std::find_if(openDevices.begin(), openDevices.end(), [&](const auto& record) {
    return reinterpret_cast<DeviceHandle>(record.get()) == device;
  });
  if (found == openDevices.end()) {
    ++fake.badCloses;
    return;
  }
  openDevices.erase(found);
  --fake.openHandles;
}

uint32_t LogicalDrives() {
  uint32_t mask = 0;
  for (const auto& entry : fake.drives) mask |= uint32_t{1} << (entry.first - u'A');
  return mask;
}

uint32_t DriveType(const Text& root) {
  FakeDrive* drive = DriveAtRoot(root);
  return drive != nullptr ? drive->type : DRIVE_TYPE_NO_ROOT_DIR;
}

bool VolumeReadable(const Text& root) {
  FakeDrive* drive = DriveAtRoot(root);
  return drive != nullptr && drive->volumeReadable;
}

bool VolumeTotalBytes(const Text& root, uint64_t* totalBytes) {
  FakeDrive* drive = DriveAtRoot(root);
  if (drive == nullptr || !drive->totalKnown) return false;
  *totalBytes = drive->totalBytes;
  return true;
}

bool OsMajorVersion(uint32_t* major) {
  if (!fake.osKnown) return false;
  *major = fake.osMajor;
  return true;
}

// Windows-1252 for the two bytes the tests use beyond ASCII.
Text AnsiText(std::string_view bytes) {
  Text text;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    text.push_back(byte == 0x80 ? u'\u20AC' : static_cast<char16_t>(byte));
  }
  return text;
}

const StorageOps FAKE_STORAGE_OPS = {OpenDevice,       DeviceControl,  CloseDevice,
                                     LogicalDrives,    DriveType,      VolumeReadable,
                                     VolumeTotalBytes, OsMajorVersion, AnsiText};

void PutLittle32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

FakeStorage& Fake() { return fake; }

FakeStorageInForce::FakeStorageInForce() {
  fake = FakeStorage{};
  openDevices.clear();
  ForgetPhysicalDriveLines();
  previous = SetStorageOps(FAKE_STORAGE_OPS);
}

FakeStorageInForce::~FakeStorageInForce() {
  SetStorageOps(previous);
  ForgetPhysicalDriveLines();
}

std::vector<uint8_t> DeviceNumberAnswer(uint32_t device, uint32_t partition) {
  std::vector<uint8_t> bytes(DEVICE_NUMBER_SIZE, 0);
  PutLittle32(bytes, 0, 7);  // FILE_DEVICE_DISK, never read
  PutLittle32(bytes, DEVICE_NUMBER_OFFSET, device);
  PutLittle32(bytes, PARTITION_NUMBER_OFFSET, partition);
  return bytes;
}

std::vector<uint8_t> GeometryAnswer(int64_t diskSize) {
  std::vector<uint8_t> bytes(DISK_GEOMETRY_SIZE, 0);
  PutLittle32(bytes, 20, 512);  // BytesPerSector, never read
  PutLittle32(bytes, DISK_SIZE_OFFSET, static_cast<uint32_t>(diskSize));
  PutLittle32(bytes, DISK_SIZE_OFFSET + 4, static_cast<uint32_t>(static_cast<uint64_t>(diskSize) >> 32));
  return bytes;
}

std::vector<uint8_t> DescriptorAnswer(uint32_t vendorOffset, const std::string& vendor,
                                      uint32_t productOffset, const std::string& product) {
  std::vector<uint8_t> bytes(DEVICE_DESCRIPTOR_SIZE, 0);
  PutLittle32(bytes, 4, 100);  // Size, never read
  PutLittle32(bytes, VENDOR_ID_OFFSET_AT, vendorOffset);
  PutLittle32(bytes, PRODUCT_ID_OFFSET_AT, productOffset);
  auto place = [&](uint32_t offset, const std::string& text) {
    if (offset != 0 && offset < bytes.size()) {
      size_t count = std::min(text.size(), bytes.size() - offset);
      std::memcpy(bytes.data() + offset, text.data(), count);
    }
  };
  place(vendorOffset, vendor);
  place(productOffset, product);
  return bytes;
}

}  // namespace qm
