#include "results/http/request_values.h"

#include "platform/text.h"

namespace qm {

bool ParseWholeNumber(const std::string& text, int64_t minimum, int64_t maximum, int64_t fallback,
                      int64_t* value) {
  if (text.empty()) {
    *value = fallback;
    return true;
  }
  uint64_t number = 0;
  if (maximum < 0 || !ParseWholeNumber(text, static_cast<uint64_t>(maximum), &number)) return false;
  if (static_cast<int64_t>(number) < minimum) return false;
  *value = static_cast<int64_t>(number);
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
