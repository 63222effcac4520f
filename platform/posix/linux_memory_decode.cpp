#include "platform/posix/linux_memory_decode.h"

#include <map>

#include "platform/posix/kernel_files.h"

namespace qm {
namespace {

uint16_t Word(const std::vector<uint8_t>& table, size_t at) {
  return static_cast<uint16_t>(table[at] | (table[at + 1] << 8));
}

uint32_t DoubleWord(const std::vector<uint8_t>& table, size_t at) {
  return static_cast<uint32_t>(Word(table, at)) | (static_cast<uint32_t>(Word(table, at + 2)) << 16);
}

// SMBIOS structure header and the type 17 fields we read (offsets into the
// formatted area).
constexpr uint8_t SMBIOS_MEMORY_DEVICE = 17;
constexpr uint8_t SMBIOS_END_OF_TABLE = 127;
constexpr size_t MD_SIZE = 0x0C;
constexpr size_t MD_SPEED = 0x15;
constexpr size_t MD_MANUFACTURER = 0x17;
constexpr size_t MD_EXTENDED_SIZE = 0x1C;
constexpr size_t MD_EXTENDED_SPEED = 0x54;

MemoryModule DecodeMemoryDevice(const std::vector<uint8_t>& table, size_t start, size_t length,
                                const std::vector<std::string>& strings) {
  MemoryModule module;
  uint16_t size = Word(table, start + MD_SIZE);
  if (size == 0x7FFF && length >= MD_EXTENDED_SIZE + 4) {
    module.capacityBytes = static_cast<uint64_t>(DoubleWord(table, start + MD_EXTENDED_SIZE) & 0x7FFFFFFF)
                           << 20;
  } else if (size != 0xFFFF) {
    // Bit 15 chooses the unit: kilobytes when set, megabytes when clear.
    uint64_t amount = size & 0x7FFF;
    module.capacityBytes = (size & 0x8000) != 0 ? amount << 10 : amount << 20;
  }
  if (length >= MD_SPEED + 2) {
    uint32_t speed = Word(table, start + MD_SPEED);
    if (speed == 0xFFFF && length >= MD_EXTENDED_SPEED + 4)
      speed = DoubleWord(table, start + MD_EXTENDED_SPEED);
    if (speed != 0 && speed != 0xFFFF) module.speedMts = speed;
  }
  if (length > MD_MANUFACTURER) {
    size_t index = table[start + MD_MANUFACTURER];
    if (index >= 1 && index <= strings.size()) module.manufacturer = strings[index - 1];
  }
  return module;
}

}  // namespace

std::vector<MemoryModule> DecodeSmbiosMemoryModules(const std::vector<uint8_t>& table) {
  std::vector<MemoryModule> modules;
  size_t at = 0;
  while (at + 4 <= table.size()) {
    uint8_t type = table[at];
    size_t length = table[at + 1];
    if (length < 4 || at + length > table.size()) break;
    // The strings follow the formatted area, each ended by a NUL, the set
    // ended by one more NUL (two NULs when there are no strings).
    std::vector<std::string> strings;
    size_t next = at + length;
    bool ended = false;
    if (next + 1 < table.size() && table[next] == 0 && table[next + 1] == 0) {
      next += 2;
      ended = true;
    }
    while (!ended && next < table.size()) {
      size_t stop = next;
      while (stop < table.size() && table[stop] != 0) ++stop;
      if (stop >= table.size()) break;
      strings.emplace_back(reinterpret_cast<const char*>(table.data() + next), stop - next);
      next = stop + 1;
      if (next < table.size() && table[next] == 0) {
        ++next;
        ended = true;
      }
    }
    if (!ended) break;
    if (type == SMBIOS_END_OF_TABLE) break;
    // An empty slot reports size 0; the service lists installed modules only.
    if (type == SMBIOS_MEMORY_DEVICE && length >= MD_SIZE + 2 && Word(table, at + MD_SIZE) != 0) {
      modules.push_back(DecodeMemoryDevice(table, at, length, strings));
    }
    at = next;
  }
  return modules;
}

std::vector<MemoryModule> DecodeUdevMemoryModules(std::string_view udevEntry) {
  struct Slot {
    MemoryModule module;
    bool present = true;
  };
  std::map<uint32_t, Slot> slots;
  constexpr std::string_view PREFIX = "E:MEMORY_DEVICE_";
  ForEachLine(udevEntry, [&](std::string_view line) {
    if (line.substr(0, PREFIX.size()) != PREFIX) return;
    line.remove_prefix(PREFIX.size());
    size_t underscore = line.find('_');
    size_t equals = line.find('=');
    if (underscore == std::string_view::npos || equals == std::string_view::npos || equals < underscore)
      return;
    std::optional<uint32_t> number = ParseDecimal<uint32_t>(line.substr(0, underscore));
    if (!number) return;
    std::string_view key = line.substr(underscore + 1, equals - underscore - 1);
    std::string_view value = line.substr(equals + 1);
    Slot& slot = slots[*number];
    if (key == "SIZE")
      slot.module.capacityBytes = ParseDecimal<uint64_t>(value);
    else if (key == "SPEED_MTS")
      slot.module.speedMts = ParseDecimal<uint32_t>(value);
    else if (key == "MANUFACTURER")
      slot.module.manufacturer = std::string(value);
    else if (key == "PRESENT")
      slot.present = value != "0";
  });
  std::vector<MemoryModule> modules;
  for (const auto& [number, slot] : slots) {
    if (slot.present && slot.module.capacityBytes.value_or(0) > 0) modules.push_back(slot.module);
  }
  return modules;
}

}  // namespace qm
