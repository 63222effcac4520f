// Capture rules: which property entries of a class are kept, and where.
#pragma once

#include <vector>

#include "inventory/system_inventory.h"

namespace qm {

// An entry matches when it begins with prefix, compared case-sensitively;
// an entry shorter than the prefix never matches. Since an entry begins
// with the property name, the prefix abbreviates that name.
struct CaptureRule {
  Text prefix;
  InventoryField target;
};

bool RuleMatches(const CaptureRule& rule, const PropertyEntry& entry);

// Tries entry against every rule in order; each rule that matches stores it.
void ApplyCaptureRules(SystemInventory& inventory, const std::vector<CaptureRule>& rules,
                       const PropertyEntry& entry);

}  // namespace qm
