#include "results/http/request_values.h"

namespace qm {

bool ParseWholeNumber(const std::string& text, int64_t minimum, int64_t maximum, int64_t fallback,
                      int64_t* value) {
  if (text.empty()) {
    *value = fallback;
    return true;
  }
  if (text.size() > 18) return false;
  int64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  if (number < minimum || number > maximum) return false;
  *value = number;
  return true;
}

}  // namespace qm
