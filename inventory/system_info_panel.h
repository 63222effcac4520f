// The system information panel: the lines that describe the machine,
// built from the captured entries and added to the main window's box once
// at startup.
#pragma once

#include <functional>
#include <vector>

#include "inventory/system_inventory.h"

namespace qm {

// The main window's box as the panel sees it (tests record it).
struct SystemInfoBox {
  // Adds line as the box's new last line (no line break of its own).
  std::function<void(const Text& line)> appendLine;
  // Handles the pending window events without waiting for new ones and
  // without acting on input, so the window repaints while the box fills.
  std::function<void()> processPendingEvents;
};

// The value of an entry: its characters from position valueStart on
// (counted from 1: the property name's length plus 2, past the name and the
// line feed); empty when the entry is shorter.
Text EntryValue(const PropertyEntry& entry, size_t valueStart);

// The groups of lines, each in its order.
std::vector<Text> ProcessorInfoLines(const SystemInventory& inventory);
std::vector<Text> BoardInfoLines(const SystemInventory& inventory);
std::vector<Text> GpuInfoLines(const SystemInventory& inventory);
std::vector<Text> MemoryInfoLines(const SystemInventory& inventory);
std::vector<Text> OsInfoLines(const SystemInventory& inventory);

// All lines in the order the box receives them: processor, board, graphics
// adapter, memory, operating system. With n modules: 16 + 3n lines.
std::vector<Text> SystemInfoLines(const SystemInventory& inventory);

// The number of lines of SystemInfoLines.
int SystemInfoLineCount(const SystemInventory& inventory);

// Each adds its group to box; every line first adds 1 to lineCount (the
// program's count of the box's lines, 0 after the box is created). All
// process pending events before they return, and all but the first also
// on entry.
void ShowProcessorInfo(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount);
void ShowBoardInfo(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount);
void ShowGpuInfo(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount);
void ShowMemoryInfo(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount);
void ShowOsInfo(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount);

// Startup's filling of a new box: lineCount set to 0, the five groups in
// order with pending events processed after each, and once more at the end.
void FillSystemInfoBox(const SystemInventory& inventory, const SystemInfoBox& box, int& lineCount);

}  // namespace qm
