// The real COM/WMI query sequence: the five startup queries fill the
// processor, board, graphics adapter, memory and operating system lines
// without a failure box, and running them again in the same process (security
// already set) still succeeds.
#include <gtest/gtest.h>

#include <cstdio>

#include "inventory/system_info_panel.h"
#include "inventory/wmi_query.h"

namespace qm {
namespace {

std::vector<Text> RunQueries(SystemInventory& inventory) {
  std::vector<Text> messages;
  QuerySystemInventory(
      inventory, [&](const Text& caption, const Text& text) { messages.push_back(caption + u": " + text); });
  return messages;
}

TEST(WmiWin32, StartupQueriesFillTheLinesWithoutABox) {
  SystemInventory inventory;
  EXPECT_EQ(RunQueries(inventory), std::vector<Text>());
  for (const Text& line : SystemInfoLines(inventory)) std::printf("%s\n", Utf8(line).c_str());

  EXPECT_FALSE(EntryValue(inventory.processorName, 6).empty());
  EXPECT_FALSE(EntryValue(inventory.processorCores, 15).empty());
  EXPECT_FALSE(EntryValue(inventory.boardManufacturer, 14).empty());
  EXPECT_FALSE(EntryValue(inventory.gpuName, 9).empty());
  EXPECT_FALSE(EntryValue(inventory.osName, 9).empty());
  EXPECT_FALSE(EntryValue(inventory.osBuild, 13).empty());
  EXPECT_FALSE(inventory.memoryCapacities.empty());

  SystemInventory again;
  EXPECT_EQ(RunQueries(again), std::vector<Text>());
  EXPECT_EQ(SystemInfoLines(again), SystemInfoLines(inventory));
}

}  // namespace
}  // namespace qm
