#include "inventory/capture_rule.h"

namespace qm {

bool RuleMatches(const CaptureRule& rule, const PropertyEntry& entry) {
  return entry.size() >= rule.prefix.size() && entry.compare(0, rule.prefix.size(), rule.prefix) == 0;
}

void ApplyCaptureRules(SystemInventory& inventory, const std::vector<CaptureRule>& rules,
                       const PropertyEntry& entry) {
  for (const CaptureRule& rule : rules)
    if (RuleMatches(rule, entry)) StoreEntry(inventory, rule.target, entry);
}

}  // namespace qm
