#include "inventory/property_entry.h"

namespace qm {

Text PropertyValueText(const WmiValue& value) {
  switch (value.type) {
    case WmiValueType::String: return value.text.substr(0, value.text.find(u'\0'));
    case WmiValueType::Integer32:
      return DecimalText(static_cast<uint64_t>(static_cast<uint32_t>(value.integer)));
    case WmiValueType::Other: break;
  }
  return Text();
}

PropertyEntry MakePropertyEntry(const Text& name, const WmiValue& value) {
  return name + u'\n' + PropertyValueText(value);
}

}  // namespace qm
