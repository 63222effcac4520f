#include "inventory/system_inventory.h"

namespace qm {

void StoreEntry(SystemInventory& inventory, InventoryField field, const PropertyEntry& entry) {
  switch (field) {
    case InventoryField::ProcessorName: inventory.processorName = entry; break;
    case InventoryField::ProcessorThreads: inventory.processorThreads = entry; break;
    case InventoryField::ProcessorCores: inventory.processorCores = entry; break;
    case InventoryField::ProcessorType: inventory.processorType = entry; break;
    case InventoryField::ProcessorL2Cache: inventory.processorL2Cache = entry; break;
    case InventoryField::ProcessorL3Cache: inventory.processorL3Cache = entry; break;
    case InventoryField::BoardManufacturer: inventory.boardManufacturer = entry; break;
    case InventoryField::BoardModel: inventory.boardModel = entry; break;
    case InventoryField::BoardVersion: inventory.boardVersion = entry; break;
    case InventoryField::BoardSerial: inventory.boardSerial = entry; break;
    case InventoryField::GpuMemory: inventory.gpuMemory = entry; break;
    case InventoryField::GpuName: inventory.gpuName = entry; break;
    case InventoryField::GpuDriver: inventory.gpuDriver = entry; break;
    case InventoryField::MemorySpeeds: inventory.memorySpeeds.push_back(entry); break;
    case InventoryField::MemoryCapacities: inventory.memoryCapacities.push_back(entry); break;
    case InventoryField::MemoryManufacturers: inventory.memoryManufacturers.push_back(entry); break;
    case InventoryField::OsName: inventory.osName = entry; break;
    case InventoryField::OsBuild: inventory.osBuild = entry; break;
  }
}

}  // namespace qm
