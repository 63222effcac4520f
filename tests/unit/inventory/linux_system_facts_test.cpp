// The Linux answers to the management queries: the decoders on hand-made
// inputs, a made-up machine's files, and this machine's own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "inventory/system_info_panel.h"
#include "inventory/wmi_query.h"
#include "platform/posix/linux_cpu_decode.h"
#include "platform/posix/linux_graphics_decode.h"
#include "platform/posix/linux_memory_decode.h"
#include "platform/posix/linux_system_facts.h"
#include "platform/posix/os_release.h"

namespace qm {
namespace {

// One SMBIOS structure: formatted area (header included) and its strings.
void AddStructure(std::vector<uint8_t>& table, std::vector<uint8_t> formatted,
                  const std::vector<std::string>& strings) {
  formatted[1] = static_cast<uint8_t>(formatted.size());
  table.insert(table.end(), formatted.begin(), formatted.end());
  for (const std::string& s : strings) {
    table.insert(table.end(), s.begin(), s.end());
    table.push_back(0);
  }
  if (strings.empty()) table.push_back(0);
  table.push_back(0);
}

std::vector<uint8_t> MemoryDevice(uint16_t size, uint16_t speed, uint8_t manufacturer,
                                  uint32_t extendedSize = 0, size_t length = 0x28) {
  std::vector<uint8_t> d(0x28, 0);
  d[0] = 17;
  d[0x0C] = size & 0xFF, d[0x0D] = size >> 8;
  d[0x15] = speed & 0xFF, d[0x16] = speed >> 8;
  d[0x17] = manufacturer;
  for (int i = 0; i < 4; ++i) d[0x1C + i] = static_cast<uint8_t>(extendedSize >> (8 * i));
  d.resize(length);  // older tables end before the later fields
  return d;
}

TEST(LinuxSource, SmbiosMemoryModules) {
  std::vector<uint8_t> table;
  AddStructure(table, {0, 0, 0, 0, 1, 2, 3}, {"BIOS vendor", "1.0"});         // type 0
  AddStructure(table, MemoryDevice(0x2000, 3200, 2), {"DIMM 0", "Samsung"});  // 8 GiB
  AddStructure(table, MemoryDevice(0, 0, 0), {});                             // empty slot
  AddStructure(table, MemoryDevice(0x7FFF, 0, 1, 32768), {"Micron"});         // extended size, no speed
  AddStructure(table, MemoryDevice(0x8000 | 512, 2400, 0), {});               // 512 KB, no maker
  AddStructure(table, MemoryDevice(0x1000, 2133, 1, 0, 0x15), {"Old"});       // too short for speed/maker
  AddStructure(table, {127, 0, 0, 0}, {});
  AddStructure(table, MemoryDevice(0x1000, 1, 1), {"after end"});

  std::vector<MemoryModule> modules = DecodeSmbiosMemoryModules(table);
  ASSERT_EQ(modules.size(), 4u);
  EXPECT_EQ(modules[0].capacityBytes, 8589934592u);
  EXPECT_EQ(modules[0].speedMts, 3200u);
  EXPECT_EQ(modules[0].manufacturer, "Samsung");
  EXPECT_EQ(modules[1].capacityBytes, 34359738368u);
  EXPECT_EQ(modules[1].speedMts, std::nullopt);
  EXPECT_EQ(modules[1].manufacturer, "Micron");
  EXPECT_EQ(modules[2].capacityBytes, 524288u);
  EXPECT_EQ(modules[2].manufacturer, std::nullopt);
  EXPECT_EQ(modules[3].capacityBytes, 4294967296u);
  EXPECT_EQ(modules[3].speedMts, std::nullopt);

  // A table cut anywhere ends the walk without reading past its end (the
  // sanitizer build checks the reads); whole structures before the cut count.
  std::vector<uint8_t> cut(table.begin(), table.begin() + 20);
  EXPECT_TRUE(DecodeSmbiosMemoryModules(cut).empty());
  for (size_t size = 0; size <= table.size(); ++size) {
    std::vector<uint8_t> prefix(table.begin(), table.begin() + static_cast<ptrdiff_t>(size));
    EXPECT_LE(DecodeSmbiosMemoryModules(prefix).size(), 4u);
  }
}

TEST(LinuxSource, CpuInfoOsReleaseAndPciNames) {
  std::vector<CpuInfoEntry> cpus = ParseCpuInfo(
      "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 158\n"
      "model name\t: Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz\nstepping\t: 10\ncpu cores\t: 6\n\n"
      "processor\t: 1\nvendor_id\t: AuthenticAMD\ncpu family\t: 25\nmodel\t\t: 1\nstepping\t: 1\n");
  ASSERT_EQ(cpus.size(), 2u);
  EXPECT_EQ(cpus[0].modelName, "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz");
  EXPECT_EQ(cpus[0].cpuCores, "6");
  EXPECT_EQ(ProcessorCaption(cpus[0], "x86_64"), "Intel64 Family 6 Model 158 Stepping 10");
  EXPECT_EQ(ProcessorCaption(cpus[1], "x86_64"), "AMD64 Family 25 Model 1 Stepping 1");
  EXPECT_EQ(ProcessorCaption(CpuInfoEntry{}, "aarch64"), "aarch64");

  EXPECT_EQ(CacheSizeKb("512K\n"), 512u);
  EXPECT_EQ(CacheSizeKb("32M"), 32768u);
  EXPECT_EQ(CacheSizeKb("K"), std::nullopt);

  const char* osRelease =
      "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian \\\"GNU\\\"/Linux 12\"\nID=debian\n";
  EXPECT_EQ(OsReleaseValue(osRelease, "PRETTY_NAME"), "Debian \"GNU\"/Linux 12");
  EXPECT_EQ(OsReleaseValue(osRelease, "ID"), "debian");
  EXPECT_EQ(OsReleaseValue(osRelease, "NAM"), std::nullopt);

  const char* pciIds =
      "# comment\n10de  NVIDIA Corporation\n\t1b81  GP104 [GeForce GTX 1070]\n\t\t1043 8598  Subsystem\n"
      "1af4  Red Hat, Inc.\n\t1050  Virtio 1.0 GPU\n";
  EXPECT_EQ(PciDeviceName(pciIds, 0x10de, 0x1b81), "NVIDIA Corporation GP104 [GeForce GTX 1070]");
  EXPECT_EQ(PciDeviceName(pciIds, 0x10de, 0x1050), "NVIDIA Corporation");
  EXPECT_EQ(PciDeviceName(pciIds, 0x1af4, 0x1050), "Red Hat, Inc. Virtio 1.0 GPU");
  EXPECT_EQ(PciDeviceName(pciIds, 0x8086, 0x1050), std::nullopt);
}

TEST(LinuxSource, UdevMemoryModules) {
  std::vector<MemoryModule> modules = DecodeUdevMemoryModules(
      "S:disk/by-id/x\nE:MEMORY_ARRAY_NUM_DEVICES=4\n"
      "E:MEMORY_DEVICE_10_SIZE=4294967296\nE:MEMORY_DEVICE_10_MANUFACTURER=Late\n"
      "E:MEMORY_DEVICE_2_PRESENT=1\nE:MEMORY_DEVICE_2_SIZE=17179869184\nE:MEMORY_DEVICE_2_SPEED_MTS=3200\n"
      "E:MEMORY_DEVICE_2_MANUFACTURER=Micron Technology\n"
      "E:MEMORY_DEVICE_0_PRESENT=0\nE:MEMORY_DEVICE_0_LOCATOR=DIMM 0\n"  // an empty slot
      "E:MEMORY_DEVICE_1_SPEED_MTS=2400\n"                               // no size: not installed
      "E:MEMORY_DEVICE_X_SIZE=1\nE:MEMORY_DEVICE_3_SIZE=lots\n");
  ASSERT_EQ(modules.size(), 2u);
  EXPECT_EQ(modules[0].capacityBytes, 17179869184u);
  EXPECT_EQ(modules[0].speedMts, 3200u);
  EXPECT_EQ(modules[0].manufacturer, "Micron Technology");
  EXPECT_EQ(modules[1].capacityBytes, 4294967296u);  // 10 after 2: by number
  EXPECT_EQ(modules[1].speedMts, std::nullopt);
  EXPECT_EQ(modules[1].manufacturer, "Late");
  EXPECT_TRUE(DecodeUdevMemoryModules("").empty());
}

TEST(LinuxSource, ArmProcessorsAndDeviceNames) {
  auto arm = [](const char* implementer, const char* part) {
    CpuInfoEntry entry;
    entry.armImplementer = implementer, entry.armPart = part;
    entry.armArchitecture = "8", entry.armVariant = "0x1", entry.armRevision = "0";
    return entry;
  };
  struct Case {
    std::vector<CpuInfoEntry> entries;
    const char* model;
    const char* name;
  };
  const Case cases[] = {
      {{arm("0x41", "0xd0b"), arm("0x41", "0xd05"), arm("0x41", "0xd0b")}, "", "ARM Cortex-A76 + Cortex-A55"},
      {{arm("0x61", "0x022"), arm("0x61", "0x023")},
       "Apple MacBook Air (M1, 2020)",
       "Apple M1 Icestorm + M1 Firestorm (Apple MacBook Air (M1, 2020))"},
      {{arm("0xc0", "0xac3")}, "", "Ampere Ampere-1"},
      {{arm("0x51", "0x001")}, "", "Qualcomm Oryon"},
      {{arm("0x41", "0xd4f")}, "", "ARM Neoverse-V2"},
      {{arm("0x51", "0x999")}, "", "Qualcomm 0x999"},
      {{arm("0x99", "0x001")}, "", "Implementer 0x99 0x1"},
      {{}, "StarFive VisionFive 2 v1.3B", "riscv64 (StarFive VisionFive 2 v1.3B)"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProcessorName(c.entries, c.model, "riscv64"), c.name) << c.name;
  EXPECT_EQ(ProcessorCaption(arm("0x41", "0xd44"), "aarch64"),
            "ARM64 Implementer 0x41 Variant 0x1 Part 0xd44 Revision 0");
  CpuInfoEntry armv7 = arm("0x41", "0xc07");
  armv7.armArchitecture = "7", armv7.modelName = "ARMv7 Processor rev 5 (v7l)";
  EXPECT_EQ(ProcessorCaption(armv7, "armv7l"), "ARM Implementer 0x41 Variant 0x1 Part 0xc07 Revision 0");
  EXPECT_EQ(ProcessorName({armv7}, "", "armv7l"), "ARM Cortex-A7");

  EXPECT_EQ(DeviceTreeDeviceName("arm,mali-bifrost", "panfrost"), "Arm mali-bifrost (panfrost)");
  EXPECT_EQ(DeviceTreeDeviceName("acme,gpu9", "acmedrm"), "acme,gpu9 (acmedrm)");
  EXPECT_EQ(DeviceTreeDeviceName("", "simpledrm"), "simpledrm");
  EXPECT_EQ(DeviceTreeDeviceName("", ""), "");
  EXPECT_EQ(FirstPropertyString(std::string("qcom,adreno-690.0\0qcom,adreno\0", 30)), "qcom,adreno-690.0");
  EXPECT_EQ(UeventValue("DRIVER=msm\nOF_COMPATIBLE_0=qcom,adreno\n", "OF_COMPATIBLE_0"), "qcom,adreno");
  EXPECT_EQ(UeventValue("DRIVER=msm\n", "DRIVER_X"), "");
  EXPECT_EQ(VirtioDeviceName(16, "virtio_gpu"), "Virtio GPU (virtio_gpu)");
  EXPECT_EQ(VirtioDeviceName(2, ""), "Virtio device 2");
}

// The kernel release of this machine, as the real source reports it.
std::string KernelRelease() {
  std::string release;
  WmiObjectSink sink;
  sink.property = [&](const Text& name, const WmiValue& value) {
    if (name == u"BuildNumber") release = Utf8(value.text);
  };
  QueryLinuxSystemFacts("", u"Win32_OperatingSystem", sink);
  return release;
}

// A made-up machine under a temporary folder.
class LinuxSourceTree : public ::testing::Test {
 protected:
  void SetUp() override {
    top = std::filesystem::temp_directory_path() /
          ("qm_inventory_tree_" + std::to_string(std::random_device{}()));
    std::filesystem::remove_all(top);
  }
  void TearDown() override { std::filesystem::remove_all(top); }

  void Put(const std::string& path, const std::string& bytes) {
    std::filesystem::path file = top / path;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }
  void Link(const std::string& path, const std::string& target) {
    std::filesystem::create_directories((top / path).parent_path());
    std::filesystem::create_directory_symlink(target, top / path);
  }
  void Cpu(int number, int package, const std::string& siblings, const std::string& l2Sharing) {
    std::string cpu = "sys/devices/system/cpu/cpu" + std::to_string(number) + "/";
    Put(cpu + "topology/physical_package_id", std::to_string(package) + "\n");
    Put(cpu + "topology/thread_siblings_list", siblings + "\n");
    Put(cpu + "cache/index0/level", "1\n"), Put(cpu + "cache/index0/type", "Data\n");
    Put(cpu + "cache/index0/size", "32K\n"), Put(cpu + "cache/index0/shared_cpu_list", siblings);
    Put(cpu + "cache/index2/level", "2\n"), Put(cpu + "cache/index2/type", "Unified\n");
    Put(cpu + "cache/index2/size", "512K\n"), Put(cpu + "cache/index2/shared_cpu_list", l2Sharing);
    Put(cpu + "cache/index3/level", "3\n"), Put(cpu + "cache/index3/type", "Unified\n");
    Put(cpu + "cache/index3/size", "16M\n"), Put(cpu + "cache/index3/shared_cpu_list", "0-3");
  }

  // The objects of a class as "name=value" texts ("name" alone: no value),
  // integers marked with '#'; a failure as "failed <step> <code>".
  std::vector<std::string> Objects(const char16_t* className) {
    std::vector<std::string> seen;
    WmiObjectSink sink;
    sink.property = [&](const Text& name, const WmiValue& value) {
      std::string text = Utf8(name);
      if (value.type == WmiValueType::String) text += "=" + Utf8(value.text);
      if (value.type == WmiValueType::Integer32)
        text += "=#" + std::to_string(static_cast<uint32_t>(value.integer));
      seen.push_back(text);
    };
    sink.failure = [&](WmiStep step, uint32_t code) {
      seen.push_back("failed " + std::to_string(static_cast<int>(step)) + " " + Utf8(ResultCodeText(code)));
    };
    QueryLinuxSystemFacts(top.string(), className, sink);
    return seen;
  }

  std::filesystem::path top;
};

TEST_F(LinuxSourceTree, FiveClassesFromAMadeUpMachine) {
  Put("proc/cpuinfo",
      "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 158\nmodel name\t: Core A\n"
      "stepping\t: 10\n\nprocessor\t: 4\nvendor_id\t: AuthenticAMD\ncpu family\t: 25\nmodel\t\t: 1\n"
      "model name\t: Core B\nstepping\t: 1\n");
  Cpu(0, 0, "0-1", "0-1"), Cpu(1, 0, "0-1", "0-1"), Cpu(2, 0, "2-3", "2-3"), Cpu(3, 0, "2-3", "2-3");
  Cpu(4, 1, "4", "4");
  Put("sys/devices/system/cpu/cpu5/online", "0\n");  // offline: no topology

  Put("sys/class/dmi/id/board_vendor", "ASUSTeK COMPUTER INC.\n");
  Put("sys/class/dmi/id/board_name", "PRIME Z370-A\n");
  Put("sys/class/dmi/id/board_version", "Rev X.0x\n");

  Put("sys/class/drm/card0/device/vendor", "0x10de\n");
  Put("sys/class/drm/card0/device/device", "0x1b81\n");
  Put("sys/class/drm/card0/device/mem_info_vram_total", "8589934592\n");
  Link("sys/class/drm/card0/device/driver", "../../../bus/pci/drivers/nvidia");
  Put("sys/class/drm/card0-HDMI-A-1/status", "connected\n");
  Put("sys/class/drm/card1/device/uevent", "");
  Link("sys/class/drm/card1/device/driver", "../../../bus/platform/drivers/simpledrm");
  Put("sys/module/nvidia/version", "535.104.05\n");
  Put("usr/share/misc/pci.ids", "10de  NVIDIA Corporation\n\t1b81  GP104 [GeForce GTX 1070]\n");

  std::vector<uint8_t> smbios;
  AddStructure(smbios, MemoryDevice(0x2000, 3200, 2), {"DIMM 0", "Samsung"});
  AddStructure(smbios, MemoryDevice(0, 0, 0), {});
  AddStructure(smbios, MemoryDevice(0x4000, 0, 0), {});
  Put("sys/firmware/dmi/tables/DMI", std::string(smbios.begin(), smbios.end()));
  Put("etc/os-release", "NAME=\"Made Up\"\nPRETTY_NAME=\"Made Up Linux 1\"\n");

  const std::string kernel = KernelRelease();
  EXPECT_EQ(
      Objects(u"Win32_Processor"),
      (std::vector<std::string>{"Caption=Intel64 Family 6 Model 158 Stepping 10", "L2CacheSize=#1024",
                                "L3CacheSize=#16384", "Name=Core A", "NumberOfCores=#2", "ThreadCount=#4",
                                "Caption=AMD64 Family 25 Model 1 Stepping 1", "L2CacheSize=#512",
                                "L3CacheSize=#16384", "Name=Core B", "NumberOfCores=#1", "ThreadCount=#1"}));
  EXPECT_EQ(Objects(u"Win32_BaseBoard"),
            (std::vector<std::string>{"Manufacturer=ASUSTeK COMPUTER INC.", "Product=PRIME Z370-A",
                                      "SerialNumber", "Version=Rev X.0x"}));
  EXPECT_EQ(Objects(u"Win32_VideoController"),
            (std::vector<std::string>{
                "AdapterRAM=#4293918720", "Caption=NVIDIA Corporation GP104 [GeForce GTX 1070]",
                "DriverVersion=535.104.05", "AdapterRAM", "Caption=simpledrm", "DriverVersion=" + kernel}));
  EXPECT_EQ(Objects(u"Win32_PhysicalMemory"),
            (std::vector<std::string>{"Capacity=8589934592", "Manufacturer=Samsung", "Speed=#3200",
                                      "Capacity=17179869184", "Manufacturer", "Speed"}));
  EXPECT_EQ(Objects(u"Win32_OperatingSystem"),
            (std::vector<std::string>{"BuildNumber=" + kernel, "Caption=Made Up Linux 1"}));
}

TEST_F(LinuxSourceTree, AbsentSourcesGiveNoObjectsUnreadableOnesFailButMemory) {
  std::filesystem::create_directories(top);
  EXPECT_EQ(Objects(u"Win32_Processor"), std::vector<std::string>());
  EXPECT_EQ(Objects(u"Win32_BaseBoard"), std::vector<std::string>());
  EXPECT_EQ(Objects(u"Win32_VideoController"), std::vector<std::string>());
  EXPECT_EQ(Objects(u"Win32_PhysicalMemory"), std::vector<std::string>());
  std::vector<std::string> os = Objects(u"Win32_OperatingSystem");
  ASSERT_EQ(os.size(), 2u);
  EXPECT_EQ(os[1], "Caption=Linux");

  // A source that cannot be read (here a folder) fails at the query; the
  // memory modules have a second source and, without either, no message.
  std::filesystem::create_directories(top / "proc/cpuinfo");
  EXPECT_EQ(Objects(u"Win32_Processor"), std::vector<std::string>{"failed 4 80041001"});
  std::filesystem::create_directories(top / "sys/firmware/dmi/tables/DMI");
  std::filesystem::create_directories(top / "run/udev/data/+dmi:id");
  EXPECT_EQ(Objects(u"Win32_PhysicalMemory"), std::vector<std::string>());
  EXPECT_EQ(Objects(u"Win32_NoSuchClass"), std::vector<std::string>{"failed 4 80041010"});
}

TEST(LinuxSource, ThisMachineHasAProcessorAndAnOperatingSystem) {
  SystemInventory inventory;
  std::vector<Text> messages;
  QuerySystemInventory(
      inventory, [&](const Text& caption, const Text& text) { messages.push_back(caption + u": " + text); });
  for (const Text& line : SystemInfoLines(inventory)) std::printf("%s\n", Utf8(line).c_str());
  for (const Text& message : messages) std::printf("message %s\n", Utf8(message).c_str());
  EXPECT_FALSE(EntryValue(inventory.processorName, 6).empty());
  EXPECT_FALSE(EntryValue(inventory.osName, 9).empty());
  EXPECT_FALSE(EntryValue(inventory.processorThreads, 13).empty());
}

}  // namespace
}  // namespace qm
