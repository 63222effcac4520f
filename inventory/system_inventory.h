// What the five management queries captured at startup: one record for the
// whole program, filled once and only read afterwards.
#pragma once

#include <vector>

#include "inventory/property_entry.h"

namespace qm {

// Every field of the record, once: its name as capture rules refer to it,
// the record's member, and its kind. Single fields hold one entry; a later
// store replaces an earlier one, so with several objects of a class the
// last object's entry stays. List fields keep every entry in the order
// stored (one position per memory module); their count is their size. The
// lists are not limited to eleven modules: a machine with more keeps them
// all.
#define QM_INVENTORY_FIELDS(SINGLE, LIST)        \
  SINGLE(ProcessorName, processorName)           \
  SINGLE(ProcessorThreads, processorThreads)     \
  SINGLE(ProcessorCores, processorCores)         \
  SINGLE(ProcessorType, processorType)           \
  SINGLE(ProcessorL2Cache, processorL2Cache)     \
  SINGLE(ProcessorL3Cache, processorL3Cache)     \
  SINGLE(BoardManufacturer, boardManufacturer)   \
  SINGLE(BoardModel, boardModel)                 \
  SINGLE(BoardVersion, boardVersion)             \
  SINGLE(BoardSerial, boardSerial)               \
  SINGLE(GpuMemory, gpuMemory)                   \
  SINGLE(GpuName, gpuName)                       \
  SINGLE(GpuDriver, gpuDriver)                   \
  LIST(MemorySpeeds, memorySpeeds)               \
  LIST(MemoryCapacities, memoryCapacities)       \
  LIST(MemoryManufacturers, memoryManufacturers) \
  SINGLE(OsName, osName)                         \
  SINGLE(OsBuild, osBuild)

#define QM_SINGLE_MEMBER(Field, member) PropertyEntry member;
#define QM_LIST_MEMBER(Field, member) std::vector<PropertyEntry> member;
struct SystemInventory {
  QM_INVENTORY_FIELDS(QM_SINGLE_MEMBER, QM_LIST_MEMBER)
};
#undef QM_SINGLE_MEMBER
#undef QM_LIST_MEMBER

#define QM_FIELD_NAME(Field, member) Field,
enum class InventoryField { QM_INVENTORY_FIELDS(QM_FIELD_NAME, QM_FIELD_NAME) };
constexpr InventoryField ALL_INVENTORY_FIELDS[] = {
#define QM_FIELD_VALUE(Field, member) InventoryField::Field,
    QM_INVENTORY_FIELDS(QM_FIELD_VALUE, QM_FIELD_VALUE)
#undef QM_FIELD_VALUE
};
#undef QM_FIELD_NAME

// Stores entry into field: replaces a single field, appends to a list.
void StoreEntry(SystemInventory& inventory, InventoryField field, const PropertyEntry& entry);

// What field holds: a list's entries, a single field's entry (none while
// it is empty).
std::vector<PropertyEntry> FieldEntries(const SystemInventory& inventory, InventoryField field);

}  // namespace qm
