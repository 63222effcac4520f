// The answers of the storage stack's control requests, decoded from their
// raw little-endian buffers. Pure functions: the queries that fill the
// buffers live in device_queries.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/text.h"

namespace qm {

// STORAGE_DEVICE_NUMBER: DeviceType (0, 4 bytes), DeviceNumber (4, 4),
// PartitionNumber (8, 4).
constexpr uint32_t DEVICE_NUMBER_SIZE = 12;
constexpr size_t DEVICE_NUMBER_OFFSET = 4;
constexpr size_t PARTITION_NUMBER_OFFSET = 8;

// STORAGE_PROPERTY_QUERY for StorageDeviceProperty (0) with
// PropertyStandardQuery (0): twelve zero bytes.
constexpr uint32_t PROPERTY_QUERY_SIZE = 12;

// STORAGE_DEVICE_DESCRIPTOR: the two identifier offsets at 12 and 16, each
// the position of a NUL-terminated byte string from the buffer's start, 0
// when absent. The strings follow the fixed part.
constexpr uint32_t DEVICE_DESCRIPTOR_SIZE = 1059;
constexpr size_t VENDOR_ID_OFFSET_AT = 12;
constexpr size_t PRODUCT_ID_OFFSET_AT = 16;

// DISK_GEOMETRY_EX: a 24-byte DISK_GEOMETRY, then DiskSize (24, 8), then
// one byte of Data.
constexpr uint32_t DISK_GEOMETRY_SIZE = 33;
constexpr size_t DISK_SIZE_OFFSET = 24;

// DRIVE_LAYOUT_INFORMATION_EX: PartitionStyle (0, 4) first; room for the
// 48-byte header and 198 partition entries of 144 bytes.
constexpr uint32_t DRIVE_LAYOUT_SIZE = 28608;

// "DeviceNumber:PartitionNumber", both signed decimal.
Text DeviceNumberText(const uint8_t (&answer)[DEVICE_NUMBER_SIZE]);

// One identifier of a device descriptor: whether it is present, and its
// bytes up to (not including) the NUL.
struct DescriptorString {
  bool present;
  std::string_view bytes;
};

// The string whose offset is stored at offsetAt. An offset of 0, or one
// that lies outside the buffer, is absent. A string with no NUL before the
// buffer's end stops at the end: nothing beyond the buffer is read.
DescriptorString DescriptorStringAt(const uint8_t* buffer, size_t size, size_t offsetAt);

// Leading and trailing spaces (U+0020 only) removed; tabs stay.
Text TrimSpaces(TextView text);

// Vendor and product as the model line shows them: the trimmed vendor and
// one space when a vendor is present, then the trimmed product when one is.
// ansiText converts the bytes from the system's ANSI code page.
Text ModelText(const uint8_t* buffer, size_t size, Text (*ansiText)(std::string_view bytes));

// DiskSize as a signed byte count.
int64_t DiskSizeBytes(const uint8_t (&answer)[DISK_GEOMETRY_SIZE]);

// Whether PartitionStyle is MBR (0), GPT (1) or RAW (2).
bool KnownPartitionStyle(const uint8_t* answer, size_t size);

}  // namespace qm
