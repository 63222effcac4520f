#include "inventory/system_inventory.h"

namespace qm {

void StoreEntry(SystemInventory& inventory, InventoryField field, const PropertyEntry& entry) {
  switch (field) {
#define QM_STORE_SINGLE(Field, member) \
  case InventoryField::Field:          \
    inventory.member = entry;          \
    break;
#define QM_STORE_LIST(Field, member) \
  case InventoryField::Field: inventory.member.push_back(entry); break;
    QM_INVENTORY_FIELDS(QM_STORE_SINGLE, QM_STORE_LIST)
#undef QM_STORE_SINGLE
#undef QM_STORE_LIST
  }
}

std::vector<PropertyEntry> FieldEntries(const SystemInventory& inventory, InventoryField field) {
  switch (field) {
#define QM_ENTRIES_SINGLE(Field, member)                           \
  case InventoryField::Field:                                      \
    return inventory.member.empty() ? std::vector<PropertyEntry>{} \
                                    : std::vector<PropertyEntry>{inventory.member};
#define QM_ENTRIES_LIST(Field, member) \
  case InventoryField::Field: return inventory.member;
    QM_INVENTORY_FIELDS(QM_ENTRIES_SINGLE, QM_ENTRIES_LIST)
#undef QM_ENTRIES_SINGLE
#undef QM_ENTRIES_LIST
  }
  return {};
}

}  // namespace qm
