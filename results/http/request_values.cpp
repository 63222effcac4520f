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

bool ParseAfter(const std::string& text, bool* given, int64_t* averageMs, int64_t* id) {
  *given = !text.empty();
  if (text.empty()) return true;
  const size_t dash = text.find('-');
  return dash != std::string::npos && dash > 0 && dash + 1 < text.size() &&
         ParseWholeNumber(text.substr(0, dash), 1, INT64_MAX, 0, averageMs) &&
         ParseWholeNumber(text.substr(dash + 1), 1, INT64_MAX, 0, id);
}

}  // namespace qm
