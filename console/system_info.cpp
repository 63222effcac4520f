#include "console/system_info.h"

#include "inventory/system_info_panel.h"
#include "inventory/wmi_query.h"

namespace qm {

std::vector<Text> PrintSystemInfo(std::FILE* out) {
  SystemInventory inventory;
  QuerySystemInventory(inventory);
  std::vector<Text> lines;
  int lineCount = 0;
  SystemInfoBox box;
  box.appendLine = [&](const Text& line) {
    lines.push_back(line);
    std::fprintf(out, "%s\n", Utf8(line).c_str());
  };
  FillSystemInfoBox(inventory, box, lineCount);
  std::fflush(out);
  return lines;
}

}  // namespace qm
