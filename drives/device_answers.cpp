#include "drives/device_answers.h"

#include <cstring>

namespace qm {
namespace {

uint32_t Little32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint64_t Little64(const uint8_t* bytes) {
  return static_cast<uint64_t>(Little32(bytes)) | static_cast<uint64_t>(Little32(bytes + 4)) << 32;
}

}  // namespace

Text DeviceNumberText(const uint8_t (&answer)[DEVICE_NUMBER_SIZE]) {
  auto device = static_cast<int32_t>(Little32(answer + DEVICE_NUMBER_OFFSET));
  auto partition = static_cast<int32_t>(Little32(answer + PARTITION_NUMBER_OFFSET));
  return DecimalText(int64_t{device}) + u":" + DecimalText(int64_t{partition});
}

DescriptorString DescriptorStringAt(const uint8_t* buffer, size_t size, size_t offsetAt) {
  if (offsetAt > size || size - offsetAt < 4) return {false, {}};
  uint32_t offset = Little32(buffer + offsetAt);
  // The driver's offset is trusted no further than the buffer reaches.
  if (offset == 0 || offset >= size) return {false, {}};
  const auto* start = reinterpret_cast<const char*>(buffer + offset);
  size_t room = size - offset;
  const void* nul = std::memchr(start, 0, room);
  size_t length = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - start) : room;
  return {true, std::string_view(start, length)};
}

Text TrimSpaces(TextView text) {
  size_t first = text.find_first_not_of(u' ');
  if (first == TextView::npos) return Text();
  size_t last = text.find_last_not_of(u' ');
  return Text(text.substr(first, last - first + 1));
}

Text ModelText(const uint8_t* buffer, size_t size, Text (*ansiText)(std::string_view bytes)) {
  Text model;
  DescriptorString vendor = DescriptorStringAt(buffer, size, VENDOR_ID_OFFSET_AT);
  if (vendor.present) model = TrimSpaces(ansiText(vendor.bytes)) + u" ";
  DescriptorString product = DescriptorStringAt(buffer, size, PRODUCT_ID_OFFSET_AT);
  if (product.present) model += TrimSpaces(ansiText(product.bytes));
  return model;
}

int64_t DiskSizeBytes(const uint8_t (&answer)[DISK_GEOMETRY_SIZE]) {
  return static_cast<int64_t>(Little64(answer + DISK_SIZE_OFFSET));
}

bool KnownPartitionStyle(const uint8_t* answer, size_t size) {
  if (size < 4) return false;
  uint32_t style = Little32(answer);
  return style == 0 || style == 1 || style == 2;
}

}  // namespace qm
