// What the five management queries captured at startup: one record for the
// whole program, filled once and only read afterwards.
#pragma once

#include <vector>

#include "inventory/property_entry.h"

namespace qm {

// Single fields hold one entry; a later store replaces an earlier one, so
// with several objects of a class the last object's entry stays. List
// fields keep every entry in the order stored (one position per memory
// module); their count is their size. The lists are not limited to eleven
// modules: a machine with more keeps them all.
struct SystemInventory {
  PropertyEntry processorName;
  PropertyEntry processorThreads;
  PropertyEntry processorCores;
  PropertyEntry processorType;
  PropertyEntry processorL2Cache;
  PropertyEntry processorL3Cache;
  PropertyEntry boardManufacturer;
  PropertyEntry boardModel;
  PropertyEntry boardVersion;
  PropertyEntry boardSerial;
  PropertyEntry gpuMemory;
  PropertyEntry gpuName;
  PropertyEntry gpuDriver;
  std::vector<PropertyEntry> memorySpeeds;
  std::vector<PropertyEntry> memoryCapacities;
  std::vector<PropertyEntry> memoryManufacturers;
  PropertyEntry osName;
  PropertyEntry osBuild;
};

// The fields by name, as capture rules refer to them.
enum class InventoryField {
  ProcessorName,
  ProcessorThreads,
  ProcessorCores,
  ProcessorType,
  ProcessorL2Cache,
  ProcessorL3Cache,
  BoardManufacturer,
  BoardModel,
  BoardVersion,
  BoardSerial,
  GpuMemory,
  GpuName,
  GpuDriver,
  MemorySpeeds,
  MemoryCapacities,
  MemoryManufacturers,
  OsName,
  OsBuild,
};

// Stores entry into field: replaces a single field, appends to a list.
void StoreEntry(SystemInventory& inventory, InventoryField field, const PropertyEntry& entry);

}  // namespace qm
