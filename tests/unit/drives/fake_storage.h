// A storage layer made of records: drive letters with their types, volumes
// and device answers, and physical drive 0's partition layout. It records
// every device opened and every request sent, and counts open handles.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/storage.h"

namespace qm {

struct FakeDrive {
  uint32_t type = DRIVE_TYPE_FIXED;
  bool volumeReadable = true;
  bool totalKnown = true;
  uint64_t totalBytes = 0;
  bool opens = true;                  // \\.\X: can be opened
  bool answers = true;                // its control requests succeed
  bool writesOnFailure = false;       // a failed request still writes its answer
  std::vector<uint8_t> deviceNumber;  // the answer bytes per request
  std::vector<uint8_t> descriptor;
  std::vector<uint8_t> geometry;
};

struct FakeOpen {
  Text path;
  uint32_t access;
  uint32_t share;
  uint32_t flags;
};

struct FakeRequest {
  Text path;
  uint32_t code;
  std::vector<uint8_t> input;
  uint32_t outputSize;
  bool outputWasZero;
};

struct FakeStorage {
  std::map<char16_t, FakeDrive> drives;
  bool osKnown = true;
  uint32_t osMajor = 10;
  bool physicalOpens = true;
  bool physicalAnswers = true;
  uint32_t partitionStyle = 1;

  std::vector<FakeOpen> opens;
  std::vector<FakeRequest> requests;
  int openHandles = 0;
  int badCloses = 0;  // closes of handles not open
};

// The fake's records; reset and put in force by FakeStorageInForce.
FakeStorage& Fake();

// Puts the fake storage layer in force for its lifetime (with a fresh
// record and no kept physical-drive lines), then restores the previous one.
struct FakeStorageInForce {
  FakeStorageInForce();
  ~FakeStorageInForce();
  StorageOps previous;
};

// Answer buffers in the system's layouts.
std::vector<uint8_t> DeviceNumberAnswer(uint32_t device, uint32_t partition);
std::vector<uint8_t> GeometryAnswer(int64_t diskSize);
// A 1059-byte descriptor with the strings placed at the given offsets (a
// string is only written when its offset is not 0 and it fits).
std::vector<uint8_t> DescriptorAnswer(uint32_t vendorOffset, const std::string& vendor,
                                      uint32_t productOffset, const std::string& product);

}  // namespace qm
