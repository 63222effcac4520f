// Storage-device answers of any content and length: decoding reads nothing
// outside the buffer and the model line keeps its shape.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "drives/capacity.h"
#include "drives/device_answers.h"

namespace {

qm::Text Latin1(std::string_view bytes) {
  qm::Text text;
  for (char c : bytes) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return text;
}

void CheckModel(const uint8_t* buffer, size_t size) {
  qm::Text model = qm::ModelText(buffer, size, Latin1);
  // Each identifier is at most the rest of the buffer, plus one space.
  if (model.size() > 2 * size + 1) std::abort();
  if (!model.empty() && model.front() == u' ' &&
      qm::DescriptorStringAt(buffer, size, 12).bytes.find_first_not_of(' ') != std::string_view::npos) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The descriptor as it arrives, exactly sized: any read past it is caught.
  std::vector<uint8_t> exact(data, data + size);
  CheckModel(exact.data(), exact.size());

  // The same bytes in the program's own zero-filled 1059-byte buffer.
  std::vector<uint8_t> descriptor(qm::DEVICE_DESCRIPTOR_SIZE, 0);
  std::memcpy(descriptor.data(), data, size < descriptor.size() ? size : descriptor.size());
  CheckModel(descriptor.data(), descriptor.size());

  uint8_t number[qm::DEVICE_NUMBER_SIZE] = {};
  std::memcpy(number, data, size < sizeof number ? size : sizeof number);
  if (qm::DeviceNumberText(number).find(u':') == qm::Text::npos) std::abort();

  uint8_t geometry[qm::DISK_GEOMETRY_SIZE] = {};
  std::memcpy(geometry, data, size < sizeof geometry ? size : sizeof geometry);
  qm::Text capacity = qm::FormatCapacity(qm::DiskSizeBytes(geometry));
  if (capacity.size() < 5 || capacity[capacity.size() - 4] != u'.') std::abort();

  qm::KnownPartitionStyle(exact.data(), exact.size());
  return 0;
}
