#include "inventory/system_info_panel.h"

namespace qm {
namespace {

// Where each value starts in its entry (from 1): the property name's
// length plus 2.
constexpr size_t NAME_VALUE = 6;              // Name
constexpr size_t CAPTION_VALUE = 9;           // Caption
constexpr size_t NUMBER_OF_CORES_VALUE = 15;  // NumberOfCores
constexpr size_t THREAD_COUNT_VALUE = 13;     // ThreadCount
constexpr size_t CACHE_SIZE_VALUE = 13;       // L2CacheSize, L3CacheSize
constexpr size_t MANUFACTURER_VALUE = 14;     // Manufacturer
constexpr size_t PRODUCT_VALUE = 9;           // Product
constexpr size_t VERSION_VALUE = 9;           // Version
constexpr size_t ADAPTER_RAM_VALUE = 12;      // AdapterRAM
constexpr size_t DRIVER_VERSION_VALUE = 15;   // DriverVersion
constexpr size_t CAPACITY_VALUE = 10;         // Capacity
constexpr size_t SPEED_VALUE = 7;             // Speed
constexpr size_t BUILD_NUMBER_VALUE = 13;     // BuildNumber

// The serial number shows all but its last eight characters: from
// character 14 of "SerialNumber\n..." for the entry's length minus 21.
constexpr size_t SERIAL_VALUE = 14;
constexpr size_t SERIAL_HIDDEN = 21;
constexpr char16_t SERIAL_MASK[] = u"****";

Text MaskedSerial(const PropertyEntry& entry) {
  if (entry.size() <= SERIAL_HIDDEN) return Text();
  return entry.substr(SERIAL_VALUE - 1, entry.size() - SERIAL_HIDDEN);
}

// The entry at position index of a list, or the empty entry.
const PropertyEntry& At(const std::vector<PropertyEntry>& list, size_t index) {
  static const PropertyEntry EMPTY;
  return index < list.size() ? list[index] : EMPTY;
}

void Append(const SystemInfoBox& box, int& lineCount, const std::vector<Text>& lines) {
  for (const Text& line : lines) {
    ++lineCount;
    if (box.appendLine) box.appendLine(line);
  }
}

void ProcessEvents(const SystemInfoBox& box) {
  if (box.processPendingEvents) box.processPendingEvents();
}

}  // namespace

Text EntryValue(const PropertyEntry& entry, size_t valueStart) {
  return entry.size() >= valueStart ? entry.substr(valueStart - 1) : Text();
}

std::vector<Text> ProcessorInfoLines(const SystemInventory& inventory) {
  return {
      u"CPU Name: " + EntryValue(inventory.processorName, NAME_VALUE),
      u"CPU Type: " + EntryValue(inventory.processorType, CAPTION_VALUE),
      u"CPU Cores: " + EntryValue(inventory.processorCores, NUMBER_OF_CORES_VALUE),
      u"CPU Threads: " + EntryValue(inventory.processorThreads, THREAD_COUNT_VALUE),
      u"CPU L2 Cache: " + EntryValue(inventory.processorL2Cache, CACHE_SIZE_VALUE) + u" KBytes",
      u"CPU L3 Cache: " + EntryValue(inventory.processorL3Cache, CACHE_SIZE_VALUE) + u" KBytes",
  };
}

std::vector<Text> BoardInfoLines(const SystemInventory& inventory) {
  return {
      u"Motherboard Manufacturer: " + EntryValue(inventory.boardManufacturer, MANUFACTURER_VALUE),
      u"Motherboard Model: " + EntryValue(inventory.boardModel, PRODUCT_VALUE),
      u"Motherboard Version: " + EntryValue(inventory.boardVersion, VERSION_VALUE),
      u"Motherboard Serial Number: " + MaskedSerial(inventory.boardSerial) + SERIAL_MASK,
  };
}

std::vector<Text> GpuInfoLines(const SystemInventory& inventory) {
  return {
      u"Gpu Name: " + EntryValue(inventory.gpuName, CAPTION_VALUE),
      u"GPU RAM: " + EntryValue(inventory.gpuMemory, ADAPTER_RAM_VALUE),
      u"GPU Driver: " + EntryValue(inventory.gpuDriver, DRIVER_VERSION_VALUE),
  };
}

std::vector<Text> MemoryInfoLines(const SystemInventory& inventory) {
  // Manufacturers by their own count, capacities and speeds by the count of
  // capacities, each group whole before the next.
  const size_t manufacturers = inventory.memoryManufacturers.size();
  const size_t modules = inventory.memoryCapacities.size();
  std::vector<Text> lines = {u"Memory Bank Numbers: " + DecimalText(static_cast<uint64_t>(modules))};
  for (size_t i = 0; i < manufacturers; ++i) {
    lines.push_back(u"Memory Bank Manufacturer N." + DecimalText(static_cast<uint64_t>(i + 1)) + u" " +
                    EntryValue(At(inventory.memoryManufacturers, i), MANUFACTURER_VALUE));
  }
  for (size_t i = 0; i < modules; ++i) {
    lines.push_back(u"Memory Bank Bytes N." + DecimalText(static_cast<uint64_t>(i + 1)) + u" " +
                    EntryValue(At(inventory.memoryCapacities, i), CAPACITY_VALUE));
  }
  for (size_t i = 0; i < modules; ++i) {
    lines.push_back(u"Memory MHz Speed Bank " + DecimalText(static_cast<uint64_t>(i + 1)) + u" " +
                    EntryValue(At(inventory.memorySpeeds, i), SPEED_VALUE));
  }
  return lines;
}

std::vector<Text> OsInfoLines(const SystemInventory& inventory) {
  return {
      u"Operating System Name: " + EntryValue(inventory.osName, CAPTION_VALUE),
      u"Operating System Build: " + EntryValue(inventory.osBuild, BUILD_NUMBER_VALUE),
  };
}

std::vector<Text> SystemInfoLines(const SystemInventory& inventory) {
  std::vector<Text> lines;
  for (auto group : {ProcessorInfoLines, BoardInfoLines, GpuInfoLines, MemoryInfoLines, OsInfoLines}) {
    std::vector<Text> part = group(inventory);
    lines.insert(lines.end(), part.begin(), part.end());
  }
  return lines;
}

int SystemInfoLineCount(const SystemInventory& inventory) {
  return static_cast<int>(SystemInfoLines(inventory).size());
}

void ShowProcessorInfo(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount) {
  Append(box, lineCount, ProcessorInfoLines(inventory));
  ProcessEvents(box);
}

void ShowBoardInfo(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount) {
  ProcessEvents(box);
  Append(box, lineCount, BoardInfoLines(inventory));
  ProcessEvents(box);
}

void ShowGpuInfo(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount) {
  ProcessEvents(box);
  Append(box, lineCount, GpuInfoLines(inventory));
  ProcessEvents(box);
}

void ShowMemoryInfo(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount) {
  ProcessEvents(box);
  Append(box, lineCount, MemoryInfoLines(inventory));
  ProcessEvents(box);
}

void ShowOsInfo(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount) {
  ProcessEvents(box);
  Append(box, lineCount, OsInfoLines(inventory));
  ProcessEvents(box);
}

void FillSystemInfoBox(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount) {
  lineCount = 0;
  for (auto show : {ShowProcessorInfo, ShowBoardInfo, ShowGpuInfo, ShowMemoryInfo, ShowOsInfo}) {
    show(inventory, box, lineCount);
    ProcessEvents(box);
  }
  ProcessEvents(box);
}

}  // namespace qm
