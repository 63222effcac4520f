// The system information lines from hand-filled inventories.
#include <gtest/gtest.h>

#include "inventory/system_info_panel.h"

namespace qm {
namespace {

SystemInventory FilledInventory() {
  SystemInventory inventory;
  inventory.processorName = u"Name\nIntel(R) Core(TM) i7-8700 CPU @ 3.20GHz";
  inventory.processorType = u"Caption\nIntel64 Family 6 Model 158 Stepping 10";
  inventory.processorCores = u"NumberOfCores\n6";
  inventory.processorThreads = u"ThreadCount\n12";
  inventory.processorL2Cache = u"L2CacheSize\n1536";
  inventory.processorL3Cache = u"L3CacheSize\n12288";
  inventory.boardManufacturer = u"Manufacturer\nASUSTeK COMPUTER INC.";
  inventory.boardModel = u"Product\nPRIME Z370-A";
  inventory.boardVersion = u"Version\nRev X.0x";
  inventory.boardSerial = u"SerialNumber\n190436152400391";
  inventory.gpuName = u"Caption\nNVIDIA GeForce GTX 1070";
  inventory.gpuMemory = u"AdapterRAM\n4293918720";
  inventory.gpuDriver = u"DriverVersion\n31.0.15.3623";
  inventory.memoryManufacturers = {u"Manufacturer\nSamsung", u"Manufacturer\nKingston"};
  inventory.memoryCapacities = {u"Capacity\n8589934592", u"Capacity\n17179869184"};
  inventory.memorySpeeds = {u"Speed\n2666", u"Speed\n3200"};
  inventory.osName = u"Caption\nMicrosoft Windows 10 Pro";
  inventory.osBuild = u"BuildNumber\n19045";
  return inventory;
}

TEST(SystemInfoPanel, LinesOfAFilledInventory) {
  const std::vector<Text> expected = {
      u"CPU Name: Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz",
      u"CPU Type: Intel64 Family 6 Model 158 Stepping 10",
      u"CPU Cores: 6",
      u"CPU Threads: 12",
      u"CPU L2 Cache: 1536 KBytes",
      u"CPU L3 Cache: 12288 KBytes",
      u"Motherboard Manufacturer: ASUSTeK COMPUTER INC.",
      u"Motherboard Model: PRIME Z370-A",
      u"Motherboard Version: Rev X.0x",
      u"Motherboard Serial Number: 1904361****",
      u"Gpu Name: NVIDIA GeForce GTX 1070",
      u"GPU RAM: 4293918720",
      u"GPU Driver: 31.0.15.3623",
      u"Memory Bank Numbers: 2",
      u"Memory Bank Manufacturer N.1 Samsung",
      u"Memory Bank Manufacturer N.2 Kingston",
      u"Memory Bank Bytes N.1 8589934592",
      u"Memory Bank Bytes N.2 17179869184",
      u"Memory MHz Speed Bank 1 2666",
      u"Memory MHz Speed Bank 2 3200",
      u"Operating System Name: Microsoft Windows 10 Pro",
      u"Operating System Build: 19045",
  };
  EXPECT_EQ(SystemInfoLines(FilledInventory()), expected);
  EXPECT_EQ(SystemInfoLineCount(FilledInventory()), 16 + 3 * 2);
}

TEST(SystemInfoPanel, LinesOfAnEmptyInventory) {
  const std::vector<Text> expected = {
      u"CPU Name: ",
      u"CPU Type: ",
      u"CPU Cores: ",
      u"CPU Threads: ",
      u"CPU L2 Cache:  KBytes",
      u"CPU L3 Cache:  KBytes",
      u"Motherboard Manufacturer: ",
      u"Motherboard Model: ",
      u"Motherboard Version: ",
      u"Motherboard Serial Number: ****",
      u"Gpu Name: ",
      u"GPU RAM: ",
      u"GPU Driver: ",
      u"Memory Bank Numbers: 0",
      u"Operating System Name: ",
      u"Operating System Build: ",
  };
  EXPECT_EQ(SystemInfoLines(SystemInventory()), expected);
}

TEST(SystemInfoPanel, ValuesWithoutTextAndSerialMasking) {
  SystemInventory inventory;
  inventory.processorThreads = u"ThreadCount\n";  // no value
  inventory.processorCores = u"NumberOfCores\n0";
  inventory.processorL2Cache = u"L2CacheSize\n";
  EXPECT_EQ(ProcessorInfoLines(inventory)[2], u"CPU Cores: 0");
  EXPECT_EQ(ProcessorInfoLines(inventory)[3], u"CPU Threads: ");
  EXPECT_EQ(ProcessorInfoLines(inventory)[4], u"CPU L2 Cache:  KBytes");

  const std::pair<const char16_t*, const char16_t*> serials[] = {
      {u"", u"****"},
      {u"1234", u"****"},
      {u"12345678", u"****"},
      {u"123456789", u"1****"},
      {u"ABCDEF12345678", u"ABCDEF****"},
  };
  for (const auto& [serial, shown] : serials) {
    inventory.boardSerial = Text(u"SerialNumber\n") + serial;
    EXPECT_EQ(BoardInfoLines(inventory)[3], Text(u"Motherboard Serial Number: ") + shown) << Utf8(serial);
  }
}

TEST(SystemInfoPanel, MemoryGroupsForElevenAndTwelveModules) {
  SystemInventory inventory;
  for (size_t i = 1; i <= 12; ++i) {
    Text n = DecimalText(static_cast<uint64_t>(i));
    inventory.memoryManufacturers.push_back(u"Manufacturer\nM" + n);
    inventory.memoryCapacities.push_back(u"Capacity\nC" + n);
    inventory.memorySpeeds.push_back(u"Speed\nS" + n);
    std::vector<Text> memory = MemoryInfoLines(inventory);
    ASSERT_EQ(memory.size(), 1 + 3 * i);
    EXPECT_EQ(SystemInfoLineCount(inventory), static_cast<int>(16 + 3 * i));
    EXPECT_EQ(memory[0], u"Memory Bank Numbers: " + n);
    EXPECT_EQ(memory[i], u"Memory Bank Manufacturer N." + n + u" M" + n);
    EXPECT_EQ(memory[2 * i], u"Memory Bank Bytes N." + n + u" C" + n);
    EXPECT_EQ(memory[3 * i], u"Memory MHz Speed Bank " + n + u" S" + n);
  }
  EXPECT_EQ(MemoryInfoLines(inventory)[10], u"Memory Bank Manufacturer N.10 M10");
}

TEST(SystemInfoPanel, FillingTheBoxCountsLinesAndProcessesEvents) {
  std::vector<Text> log;
  SystemInfoBox box{[&log](const Text& line) { log.push_back(line); },
                    [&log] { log.push_back(u"<events>"); }};
  int lineCount = 99;
  SystemInventory inventory = FilledInventory();
  FillSystemInfoBox(inventory, box, lineCount);
  EXPECT_EQ(lineCount, 22);

  std::vector<Text> expected;
  auto lines = [&](std::vector<Text> group) { expected.insert(expected.end(), group.begin(), group.end()); };
  const Text E = u"<events>";
  lines(ProcessorInfoLines(inventory));
  expected.insert(expected.end(), {E, E, E});  // before return, after the show, on entry to the next
  lines(BoardInfoLines(inventory));
  expected.insert(expected.end(), {E, E, E});
  lines(GpuInfoLines(inventory));
  expected.insert(expected.end(), {E, E, E});
  lines(MemoryInfoLines(inventory));
  expected.insert(expected.end(), {E, E, E});
  lines(OsInfoLines(inventory));
  expected.insert(expected.end(), {E, E, E});  // before return, after the show, once more
  EXPECT_EQ(log, expected);
}

}  // namespace
}  // namespace qm
