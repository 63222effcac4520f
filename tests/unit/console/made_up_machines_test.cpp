// What the console edition shows on five kinds of machine, each built as a
// small tree of the files the kernel, the firmware and udev provide (as
// their documentation describes them): the system information lines, the
// drive list and the drive under test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "console/drive_lines.h"
#include "drives/linux_drive_under_test.h"
#include "drives/linux_drives.h"
#include "inventory/system_info_panel.h"
#include "inventory/wmi_query.h"
#include "platform/posix/linux_system_facts.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

std::string treeTop;  // the machine the fake management service answers for

void TreeQueryClass(const Text& className, const WmiObjectSink& sink) {
  QueryLinuxSystemFacts(treeTop, className, sink);
}

// One SMBIOS memory device (type 17) of size MB, speed MT/s and maker,
// in the layout of SMBIOS 2.8 (0x28 bytes), with its strings. From 32 GiB
// on, the size is 0x7FFF and the extended size holds the megabytes.
std::string MemoryDevice(uint32_t sizeMb, uint16_t speed, const std::string& maker) {
  std::string d(0x28, '\0');
  d[0] = 17, d[1] = 0x28;
  const uint32_t size = sizeMb >= 0x7FFF ? 0x7FFF : sizeMb;
  d[0x0C] = static_cast<char>(size & 0xFF), d[0x0D] = static_cast<char>(size >> 8);
  for (int i = 0; i < 4 && size == 0x7FFF; ++i) d[0x1C + i] = static_cast<char>(sizeMb >> (8 * i));
  d[0x15] = static_cast<char>(speed & 0xFF), d[0x16] = static_cast<char>(speed >> 8);
  d[0x10] = 1;                      // locator: string 1
  d[0x17] = maker.empty() ? 0 : 2;  // manufacturer: string 2
  d += std::string("DIMM") + '\0';
  if (!maker.empty()) d += maker + '\0';
  return d + '\0';
}
const std::string SMBIOS_END = std::string("\x7f\x04\x00\x00", 4) + std::string(2, '\0');

class MadeUpMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    top = fs::temp_directory_path() / ("qm_machine_" + std::to_string(std::random_device{}()));
    fs::remove_all(top);
    fs::create_directories(top);
    treeTop = top.string();
    previous = SetWmiOps({TreeQueryClass, nullptr});
  }
  void TearDown() override {
    SetWmiOps(previous);
    fs::permissions(top, fs::perms::owner_all);
    fs::remove_all(top);
  }

  void Put(const std::string& path, const std::string& bytes) {
    fs::path file = top / path;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }
  // A symbolic link whose target is given from the top, written relative
  // to the link as sysfs writes its links.
  void Link(const std::string& path, const std::string& target) {
    fs::path link = top / path;
    fs::create_directories(link.parent_path());
    fs::create_directories(top / target);
    fs::create_directory_symlink(fs::relative(top / target, link.parent_path()), link);
  }
  // A device on bus, bound to driver, as sysfs links them.
  void Driven(const std::string& device, const std::string& bus, const std::string& driver) {
    Link(device + "/subsystem", "sys/bus/" + bus);
    Link(device + "/driver", "sys/bus/" + bus + "/drivers/" + driver);
  }
  // A block device folder with its numbers, reachable as the kernel links it.
  void Block(const std::string& folder, const std::string& name, const std::string& numbers) {
    Put(folder + "/dev", numbers + "\n");
    Link("sys/class/block/" + name, folder);
    Link("sys/dev/block/" + numbers, folder);
  }
  void Disk(const std::string& folder, const std::string& name, const std::string& numbers,
            const std::map<std::string, std::string>& device, bool removable = false) {
    Block(folder, name, numbers);
    Put(folder + "/removable", removable ? "1\n" : "0\n");
    for (const auto& [attribute, value] : device) Put(folder + "/device/" + attribute, value);
  }
  void Partition(const std::string& disk, const std::string& name, const std::string& numbers, int number) {
    Block(disk + "/" + name, name, numbers);
    Put(disk + "/" + name + "/partition", std::to_string(number) + "\n");
  }
  // A dm or md device on the given lower devices (their folders).
  void Stacked(const std::string& name, const std::string& numbers, const std::vector<std::string>& lower) {
    const std::string folder = "sys/devices/virtual/block/" + name;
    Block(folder, name, numbers);
    Put(folder + "/removable", "0\n");
    for (const std::string& below : lower)
      Link(folder + "/slaves/" + below.substr(below.rfind('/') + 1), below);
  }
  void Cpu(int number, int package, const std::string& siblings, const std::string& l2Size,
           const std::string& l2Sharing, const std::string& l3Size = "", const std::string& l3Sharing = "") {
    const std::string cpu = "sys/devices/system/cpu/cpu" + std::to_string(number) + "/";
    Put(cpu + "topology/physical_package_id", std::to_string(package) + "\n");
    Put(cpu + "topology/thread_siblings_list", siblings + "\n");
    Put(cpu + "cache/index0/level", "1\n"), Put(cpu + "cache/index0/type", "Data\n");
    Put(cpu + "cache/index0/size", "32K\n"), Put(cpu + "cache/index0/shared_cpu_list", siblings + "\n");
    Put(cpu + "cache/index1/level", "1\n"), Put(cpu + "cache/index1/type", "Instruction\n");
    Put(cpu + "cache/index1/size", "48K\n"), Put(cpu + "cache/index1/shared_cpu_list", siblings + "\n");
    Put(cpu + "cache/index2/level", "2\n"), Put(cpu + "cache/index2/type", "Unified\n");
    Put(cpu + "cache/index2/size", l2Size + "\n"),
        Put(cpu + "cache/index2/shared_cpu_list", l2Sharing + "\n");
    if (l3Size.empty()) return;
    Put(cpu + "cache/index3/level", "3\n"), Put(cpu + "cache/index3/type", "Unified\n");
    Put(cpu + "cache/index3/size", l3Size + "\n"),
        Put(cpu + "cache/index3/shared_cpu_list", l3Sharing + "\n");
  }
  void Kernel(const std::string& release, const std::string& prettyName) {
    Put("proc/sys/kernel/osrelease", release + "\n");
    Put("proc/sys/kernel/ostype", "Linux\n");
    Put("etc/os-release", "PRETTY_NAME=\"" + prettyName + "\"\nNAME=\"Made Up\"\n");
  }
  void Board(const std::string& vendor, const std::string& name, const std::string& version,
             const std::string& serial) {
    Put("sys/class/dmi/id/sys_vendor", vendor + "\n");
    Put("sys/class/dmi/id/board_vendor", vendor + "\n");
    Put("sys/class/dmi/id/board_name", name + "\n");
    Put("sys/class/dmi/id/board_version", version + "\n");
    Put("sys/class/dmi/id/board_serial", serial + "\n");
    fs::permissions(top / "sys/class/dmi/id/board_serial", fs::perms::owner_read);
  }
  // What an ordinary user cannot read: the tests run as root, who could,
  // so a folder stands in for each such file.
  void OnlyRootMayRead(const std::string& path) {
    fs::remove(top / path);
    fs::create_directories(top / path);
  }

  // The system information lines, and no message.
  std::vector<std::string> SystemLines() {
    SystemInventory inventory;
    std::vector<std::string> messages;
    QuerySystemInventory(inventory, [&](const Text& caption, const Text& text) {
      messages.push_back(Utf8(caption) + ": " + Utf8(text));
    });
    EXPECT_EQ(messages, std::vector<std::string>());
    std::vector<std::string> lines;
    for (const Text& line : SystemInfoLines(inventory)) lines.push_back(Utf8(line));
    return lines;
  }

  // The drive list as the terminal shows it, then the drive under test of
  // folder; file system sizes as given.
  std::string DriveLines(const std::string& mountInfo, const std::map<std::string, uint64_t>& sizes,
                         const std::string& folder) {
    LinuxDriveProbe probe = LinuxDriveProbeUnder(top.string());
    probe.fileSystemBytes = [sizes](const std::string& mountPoint, uint64_t* totalBytes) {
      auto found = sizes.find(mountPoint);
      if (found == sizes.end()) return false;
      *totalBytes = found->second;
      return true;
    };
    const std::vector<MountInfoLine> mounts = ParseMountInfo(mountInfo);
    const std::optional<MountInfoLine> mount = MountHolding(mounts, folder);
    return DriveListLines(LinuxDriveListText(LinuxDrives(mounts, probe))) + "--\n" +
           DriveUnderTestLines(mount, mount ? LinuxDriveOfMount(*mount, probe) : LinuxDriveFacts{});
  }

  fs::path top;
  WmiOps previous{};
};

constexpr uint64_t GIB = 1073741824;
const std::string LAYOUT(52, '-');

// ---- Raspberry Pi 4: four Cortex-A72 cores, a device tree, no DMI, an SD card ----

TEST_F(MadeUpMachine, RaspberryPi4) {
  std::string cpuinfo;
  for (int i = 0; i < 4; ++i) {
    cpuinfo += "processor\t: " + std::to_string(i) +
               "\nBogoMIPS\t: 108.00\nFeatures\t: fp asimd evtstrm crc32 cpuid\nCPU implementer\t: 0x41\n"
               "CPU architecture: 8\nCPU variant\t: 0x0\nCPU part\t: 0xd08\nCPU revision\t: 3\n\n";
    Cpu(i, 0, std::to_string(i), "1024K", "0-3");
  }
  Put("proc/cpuinfo", cpuinfo + "Revision\t: c03114\nModel\t\t: Raspberry Pi 4 Model B Rev 1.4\n");
  Put("sys/firmware/devicetree/base/model", std::string("Raspberry Pi 4 Model B Rev 1.4") + '\0');
  // The 3D block and the display block of the chip, both platform devices.
  const std::string v3d = "sys/devices/platform/v3dbus/fec00000.v3d";
  Link("sys/class/drm/card0/device", v3d);
  Driven(v3d, "platform", "v3d");
  Link(v3d + "/of_node", "sys/firmware/devicetree/base/v3dbus/v3d@7ec04000");
  Put("sys/firmware/devicetree/base/v3dbus/v3d@7ec04000/compatible", std::string("brcm,2711-v3d") + '\0');
  const std::string vc4 = "sys/devices/platform/gpu";
  Link("sys/class/drm/card1/device", vc4);
  Driven(vc4, "platform", "vc4-drm");
  Link("sys/bus/platform/drivers/vc4-drm/module", "sys/module/vc4");
  Put(vc4 + "/uevent",
      "DRIVER=vc4-drm\nOF_NAME=gpu\nOF_FULLNAME=/gpu\nOF_COMPATIBLE_0=brcm,bcm2711-vc5\nOF_COMPATIBLE_N=1\n");
  Kernel("6.6.31+rpt-rpi-v8", "Debian GNU/Linux 12 (bookworm)");

  const std::string card = "sys/devices/platform/emmc2bus/fe340000.mmc/mmc_host/mmc0/mmc0:aaaa/block/mmcblk0";
  Disk(card, "mmcblk0", "179:0", {{"name", "SC32G\n"}, {"type", "SD\n"}});
  Partition(card, "mmcblk0p1", "179:1", 1);
  Partition(card, "mmcblk0p2", "179:2", 2);

  EXPECT_EQ(SystemLines(), (std::vector<std::string>{
                               "CPU Name: ARM Cortex-A72 (Raspberry Pi 4 Model B Rev 1.4)",
                               "CPU Type: ARM64 Implementer 0x41 Variant 0x0 Part 0xd08 Revision 3",
                               "CPU Cores: 4",
                               "CPU Threads: 4",
                               "CPU L2 Cache: 1024 KBytes",
                               "CPU L3 Cache: 0 KBytes",
                               "Motherboard Manufacturer: ",
                               "Motherboard Model: ",
                               "Motherboard Version: ",
                               "Motherboard Serial Number: ****",
                               "Gpu Name: Broadcom bcm2711-vc5 (vc4-drm)",
                               "GPU RAM: ",
                               "GPU Driver: 6.6.31+rpt-rpi-v8",
                               "Memory Bank Numbers: 0",
                               "Operating System Name: Debian GNU/Linux 12 (bookworm)",
                               "Operating System Build: 6.6.31+rpt-rpi-v8",
                           }));
  EXPECT_EQ(DriveLines("21 1 179:2 / / rw,noatime - ext4 /dev/mmcblk0p2 rw\n"
                       "26 21 179:1 / /boot/firmware rw,relatime - vfat /dev/mmcblk0p1 rw\n",
                       {{"/", 29 * GIB + GIB / 2}, {"/boot/firmware", GIB / 2}}, "/home/pi/bench"),
            "/\n29.500\nSC32G\n---\n\n"
            "/boot/firmware\n0.500\nSC32G\n---\n"
            "--\n"
            "Drive under test: / on /dev/mmcblk0p2 (ext4)\nCapacity: 29.500 GiB\nModel: SC32G\n");
}

// A board of big and little cores whose kernel numbers each cluster as a
// package: one chip all the same.
TEST_F(MadeUpMachine, BigLittleBoardIsOnePackage) {
  std::string cpuinfo;
  for (int i = 0; i < 6; ++i) {
    const bool big = i >= 4;
    cpuinfo += "processor\t: " + std::to_string(i) + "\nCPU implementer\t: 0x41\nCPU architecture: 8\n" +
               "CPU variant\t: 0x0\nCPU part\t: " + (big ? "0xd08" : "0xd03") +
               "\nCPU revision\t: " + (big ? "2" : "4") + "\n\n";
    Cpu(i, big ? 1 : 0, std::to_string(i), big ? "1024K" : "512K", big ? "4-5" : "0-3");
  }
  Put("proc/cpuinfo", cpuinfo);
  Put("sys/firmware/devicetree/base/model", std::string("Pine64 RockPro64 v2.1") + '\0');
  const std::vector<std::string> lines = SystemLines();
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6),
            (std::vector<std::string>{"CPU Name: ARM Cortex-A53 + Cortex-A72 (Pine64 RockPro64 v2.1)",
                                      "CPU Type: ARM64 Implementer 0x41 Variant 0x0 Part 0xd03 Revision 4",
                                      "CPU Cores: 6", "CPU Threads: 6", "CPU L2 Cache: 1536 KBytes",
                                      "CPU L3 Cache: 0 KBytes"}));
}

// ---- An ARM server: 80 Neoverse-N1 cores on ACPI, a BMC's graphics, md RAID 1 on NVMe ----

TEST_F(MadeUpMachine, ArmServer) {
  std::string cpuinfo;
  for (int i = 0; i < 80; ++i) {
    cpuinfo += "processor\t: " + std::to_string(i) +
               "\nBogoMIPS\t: 50.00\nCPU implementer\t: 0x41\nCPU architecture: 8\nCPU variant\t: 0x3\n"
               "CPU part\t: 0xd0c\nCPU revision\t: 1\n\n";
    Cpu(i, 0, std::to_string(i), "1024K", std::to_string(i));
  }
  Put("proc/cpuinfo", cpuinfo);
  Board("GIGABYTE", "MP32-AR1-00", "01000100", "GJH3N1612A0042");
  std::string smbios;
  for (int slot = 0; slot < 8; ++slot) smbios += MemoryDevice(32768, 3200, "Samsung");
  Put("sys/firmware/dmi/tables/DMI", smbios + MemoryDevice(0, 0, "") + SMBIOS_END);
  const std::string bmc = "sys/devices/pci000d:00/000d:00:01.0/000d:01:00.0/000d:02:00.0";
  Link("sys/class/drm/card0/device", bmc);
  Driven(bmc, "pci", "ast");
  Put(bmc + "/vendor", "0x1a03\n"), Put(bmc + "/device", "0x2000\n");
  Put("usr/share/misc/pci.ids", "1a03  ASPEED Technology, Inc.\n\t2000  ASPEED Graphics Family\n");
  Kernel("6.1.0-18-arm64", "Debian GNU/Linux 12 (bookworm)");

  const std::string nvme0 = "sys/devices/pci0004:00/0004:00:01.0/0004:01:00.0/nvme/nvme0/nvme0n1";
  const std::string nvme1 = "sys/devices/pci0005:00/0005:00:01.0/0005:01:00.0/nvme/nvme1/nvme1n1";
  Disk(nvme0, "nvme0n1", "259:0", {{"model", "SAMSUNG MZQL21T9HCJR-00A07             \n"}});
  Disk(nvme1, "nvme1n1", "259:3", {{"model", "SAMSUNG MZQL21T9HCJR-00A07             \n"}});
  Partition(nvme0, "nvme0n1p1", "259:1", 1);
  Partition(nvme0, "nvme0n1p2", "259:2", 2);
  Partition(nvme1, "nvme1n1p2", "259:5", 2);
  Stacked("md0", "9:0", {nvme0 + "/nvme0n1p2", nvme1 + "/nvme1n1p2"});
  Put("dev/nvme0n1", std::string(4096, '\0'));  // root reads the partition table

  EXPECT_EQ(SystemLines(), (std::vector<std::string>{
                               "CPU Name: ARM Neoverse-N1",
                               "CPU Type: ARM64 Implementer 0x41 Variant 0x3 Part 0xd0c Revision 1",
                               "CPU Cores: 80",
                               "CPU Threads: 80",
                               "CPU L2 Cache: 81920 KBytes",
                               "CPU L3 Cache: 0 KBytes",
                               "Motherboard Manufacturer: GIGABYTE",
                               "Motherboard Model: MP32-AR1-00",
                               "Motherboard Version: 01000100",
                               "Motherboard Serial Number: GJH3N1****",
                               "Gpu Name: ASPEED Technology, Inc. ASPEED Graphics Family",
                               "GPU RAM: ",
                               "GPU Driver: 6.1.0-18-arm64",
                               "Memory Bank Numbers: 8",
                               "Memory Bank Manufacturer N.1 Samsung",
                               "Memory Bank Manufacturer N.2 Samsung",
                               "Memory Bank Manufacturer N.3 Samsung",
                               "Memory Bank Manufacturer N.4 Samsung",
                               "Memory Bank Manufacturer N.5 Samsung",
                               "Memory Bank Manufacturer N.6 Samsung",
                               "Memory Bank Manufacturer N.7 Samsung",
                               "Memory Bank Manufacturer N.8 Samsung",
                               "Memory Bank Bytes N.1 34359738368",
                               "Memory Bank Bytes N.2 34359738368",
                               "Memory Bank Bytes N.3 34359738368",
                               "Memory Bank Bytes N.4 34359738368",
                               "Memory Bank Bytes N.5 34359738368",
                               "Memory Bank Bytes N.6 34359738368",
                               "Memory Bank Bytes N.7 34359738368",
                               "Memory Bank Bytes N.8 34359738368",
                               "Memory MHz Speed Bank 1 3200",
                               "Memory MHz Speed Bank 2 3200",
                               "Memory MHz Speed Bank 3 3200",
                               "Memory MHz Speed Bank 4 3200",
                               "Memory MHz Speed Bank 5 3200",
                               "Memory MHz Speed Bank 6 3200",
                               "Memory MHz Speed Bank 7 3200",
                               "Memory MHz Speed Bank 8 3200",
                               "Operating System Name: Debian GNU/Linux 12 (bookworm)",
                               "Operating System Build: 6.1.0-18-arm64",
                           }));
  EXPECT_EQ(DriveLines("24 1 9:0 / / rw,relatime - ext4 /dev/md0 rw\n"
                       "25 24 259:1 / /boot/efi rw,relatime - vfat /dev/nvme0n1p1 rw\n",
                       {{"/", 1750 * GIB}, {"/boot/efi", GIB}}, "/srv/bench"),
            "/\n1750.000\nSAMSUNG MZQL21T9HCJR-00A07\n" + LAYOUT + "\n\n" +
                "/boot/efi\n1.000\nSAMSUNG MZQL21T9HCJR-00A07\n" + LAYOUT + "\n" +
                "--\n"
                "Drive under test: / on /dev/md0 (ext4)\nCapacity: 1750.000 GiB\n"
                "Model: SAMSUNG MZQL21T9HCJR-00A07\n");
}

// ---- A virtual machine: virtio GPU and disk, QEMU's firmware tables ----

TEST_F(MadeUpMachine, VirtioVirtualMachine) {
  std::string cpuinfo;
  for (int i = 0; i < 4; ++i) {
    cpuinfo += "processor\t: " + std::to_string(i) +
               "\nvendor_id\t: AuthenticAMD\ncpu family\t: 25\nmodel\t\t: 1\n"
               "model name\t: AMD EPYC 7763 64-Core Processor\nstepping\t: 1\ncpu cores\t: 4\n\n";
    Cpu(i, 0, std::to_string(i), "512K", std::to_string(i), "32768K", "0-3");
  }
  Put("proc/cpuinfo", cpuinfo);
  // QEMU describes the system but no board.
  Put("sys/class/dmi/id/sys_vendor", "QEMU\n");
  Put("sys/class/dmi/id/product_name", "Standard PC (Q35 + ICH9, 2009)\n");
  Put("sys/firmware/dmi/tables/DMI", MemoryDevice(8192, 0, "QEMU") + SMBIOS_END);
  // The GPU is a virtio device carried by a PCI function.
  const std::string pci = "sys/devices/pci0000:00/0000:00:01.0";
  Put(pci + "/vendor", "0x1af4\n"), Put(pci + "/device", "0x1050\n");
  Link(pci + "/driver", "sys/bus/pci/drivers/virtio-pci");
  Link("sys/class/drm/card0/device", pci + "/virtio0");
  Put(pci + "/virtio0/vendor", "0x1af4\n"), Put(pci + "/virtio0/device", "0x0010\n");
  Driven(pci + "/virtio0", "virtio", "virtio_gpu");
  Put("usr/share/misc/pci.ids",
      "1af4  Red Hat, Inc.\n\t1041  Virtio network device\n\t1050  Virtio 1.0 GPU\n");
  Kernel("6.1.0-18-cloud-amd64", "Debian GNU/Linux 12 (bookworm)");

  const std::string vda = "sys/devices/pci0000:00/0000:00:04.0/virtio1/block/vda";
  Disk(vda, "vda", "254:0", {{"vendor", "0x1af4\n"}, {"device", "0x0002\n"}});
  Partition(vda, "vda1", "254:1", 1);
  Partition(vda, "vda15", "254:15", 15);

  EXPECT_EQ(SystemLines(), (std::vector<std::string>{
                               "CPU Name: AMD EPYC 7763 64-Core Processor",
                               "CPU Type: AMD64 Family 25 Model 1 Stepping 1",
                               "CPU Cores: 4",
                               "CPU Threads: 4",
                               "CPU L2 Cache: 2048 KBytes",
                               "CPU L3 Cache: 32768 KBytes",
                               "Motherboard Manufacturer: ",
                               "Motherboard Model: ",
                               "Motherboard Version: ",
                               "Motherboard Serial Number: ****",
                               "Gpu Name: Red Hat, Inc. Virtio 1.0 GPU",
                               "GPU RAM: ",
                               "GPU Driver: 6.1.0-18-cloud-amd64",
                               "Memory Bank Numbers: 1",
                               "Memory Bank Manufacturer N.1 QEMU",
                               "Memory Bank Bytes N.1 8589934592",
                               "Memory MHz Speed Bank 1 ",
                               "Operating System Name: Debian GNU/Linux 12 (bookworm)",
                               "Operating System Build: 6.1.0-18-cloud-amd64",
                           }));
  EXPECT_EQ(DriveLines("21 1 254:1 / / rw,relatime - ext4 /dev/vda1 rw\n"
                       "22 21 254:15 / /boot/efi rw,relatime - vfat /dev/vda15 rw\n",
                       {{"/", 30 * GIB}, {"/boot/efi", GIB / 8}}, "/root/bench"),
            "/\n30.000\n\n---\n\n"
            "/boot/efi\n0.125\n\n---\n"
            "--\n"
            "Drive under test: / on /dev/vda1 (ext4)\nCapacity: 30.000 GiB\n");

  // Over MMIO there is no PCI function: the kind of virtio device names it.
  fs::remove_all(top / pci);
  const std::string mmio = "sys/devices/platform/a003e00.virtio_mmio/virtio0";
  fs::remove(top / "sys/class/drm/card0/device");
  Link("sys/class/drm/card0/device", mmio);
  Put(mmio + "/vendor", "0x554d4551\n"), Put(mmio + "/device", "0x0010\n");
  Driven(mmio, "virtio", "virtio_gpu");
  EXPECT_EQ(SystemLines().at(10), "Gpu Name: Virtio GPU (virtio_gpu)");
}

// ---- A laptop: SMBIOS for root, udev's copy for everyone; dm-crypt with btrfs; a USB stick ----

TEST_F(MadeUpMachine, LaptopAsRootAndAsAnOrdinaryUser) {
  std::string cpuinfo;
  for (int i = 0; i < 16; ++i) {
    const bool performance = i < 8;
    cpuinfo += "processor\t: " + std::to_string(i) +
               "\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 154\n"
               "model name\t: 12th Gen Intel(R) Core(TM) i7-1260P\nstepping\t: 3\ncpu cores\t: 12\n\n";
    const std::string pair = std::to_string(i & ~1) + "-" + std::to_string(i | 1);
    const std::string cluster = i < 12 ? "8-11" : "12-15";
    Cpu(i, 0, performance ? pair : std::to_string(i), performance ? "1280K" : "2048K",
        performance ? pair : cluster, "18432K", "0-15");
  }
  Put("proc/cpuinfo", cpuinfo);
  Board("LENOVO", "21AHCTO1WW", "SDK0T76538 WIN", "L1HF2AB0123");
  Put("sys/firmware/dmi/tables/DMI",
      MemoryDevice(8192, 4800, "Samsung") + MemoryDevice(8192, 4800, "Samsung") + SMBIOS_END);
  fs::permissions(top / "sys/firmware/dmi/tables/DMI", fs::perms::owner_read);
  Put("run/udev/data/+dmi:id",
      "E:MEMORY_ARRAY_LOCATION=System Board Or Motherboard\nE:MEMORY_ARRAY_NUM_DEVICES=2\n"
      "E:MEMORY_DEVICE_0_PRESENT=1\nE:MEMORY_DEVICE_0_SIZE=8589934592\nE:MEMORY_DEVICE_0_SPEED_MTS=4800\n"
      "E:MEMORY_DEVICE_0_CONFIGURED_SPEED_MTS=4800\nE:MEMORY_DEVICE_0_MANUFACTURER=Samsung\n"
      "E:MEMORY_DEVICE_0_LOCATOR=Controller0-ChannelA\n"
      "E:MEMORY_DEVICE_1_PRESENT=1\nE:MEMORY_DEVICE_1_SIZE=8589934592\nE:MEMORY_DEVICE_1_SPEED_MTS=4800\n"
      "E:MEMORY_DEVICE_1_MANUFACTURER=Samsung\nE:MEMORY_DEVICE_1_LOCATOR=Controller1-ChannelA\n"
      "G:systemd\n");
  const std::string igpu = "sys/devices/pci0000:00/0000:00:02.0";
  Link("sys/class/drm/card1/device", igpu);
  Driven(igpu, "pci", "i915");
  Put(igpu + "/vendor", "0x8086\n"), Put(igpu + "/device", "0x46a6\n");
  Put("usr/share/misc/pci.ids", "8086  Intel Corporation\n\t46a6  Alder Lake-P GT2 [Iris Xe Graphics]\n");
  Kernel("6.5.0-14-generic", "Ubuntu 23.10");

  const std::string nvme = "sys/devices/pci0000:00/0000:00:06.0/0000:04:00.0/nvme/nvme0/nvme0n1";
  Disk(nvme, "nvme0n1", "259:0", {{"model", "SKHynix_HFS512GDE9X081N                 \n"}});
  Partition(nvme, "nvme0n1p1", "259:1", 1);
  Partition(nvme, "nvme0n1p2", "259:2", 2);
  Stacked("dm-0", "253:0", {nvme + "/nvme0n1p2"});
  Put("dev/dm-0", "");
  fs::create_directories(top / "dev/mapper");
  fs::create_symlink("../dm-0", top / "dev/mapper/luks-3f1c");
  const std::string usb =
      "sys/devices/pci0000:00/0000:00:14.0/usb3/3-1/3-1:1.0/host0/target0:0:0/0:0:0:0/block/sda";
  Disk(usb, "sda", "8:0", {{"vendor", "SanDisk \n"}, {"model", "Cruzer Blade    \n"}}, true);
  Partition(usb, "sda1", "8:1", 1);

  const std::string mountInfo =
      "25 1 0:30 /@ / rw,relatime - btrfs /dev/mapper/luks-3f1c rw,subvol=/@\n"
      "26 25 0:30 /@home /home rw,relatime - btrfs /dev/mapper/luks-3f1c rw,subvol=/@home\n"
      "27 25 259:1 / /boot/efi rw,relatime - vfat /dev/nvme0n1p1 rw\n"
      "60 25 8:1 / /media/ann/STICK rw,nosuid - vfat /dev/sda1 rw\n";
  const std::map<std::string, uint64_t> sizes = {
      {"/", 475 * GIB}, {"/boot/efi", GIB}, {"/home", 475 * GIB}, {"/media/ann/STICK", 14 * GIB + GIB / 2}};
  const std::string drives =
      "/\n475.000\nSKHynix_HFS512GDE9X081N\n---\n\n"
      "/boot/efi\n1.000\nSKHynix_HFS512GDE9X081N\n---\n"
      "/media/ann/STICK\nUSB\nEXT \n14.500\nSanDisk Cruzer Blade\n---\n"
      "--\n";
  EXPECT_EQ(DriveLines(mountInfo, sizes, "/home/ann/bench"),
            drives +
                "Drive under test: /home on /dev/mapper/luks-3f1c (btrfs)\nCapacity: 475.000 GiB\n"
                "Model: SKHynix_HFS512GDE9X081N\n");
  EXPECT_EQ(DriveLines(mountInfo, sizes, "/media/ann/STICK/bench"),
            drives +
                "Drive under test: /media/ann/STICK on /dev/sda1 (vfat)\nCapacity: 14.500 GiB\n"
                "Model: SanDisk Cruzer Blade\n");

  std::vector<std::string> root = {
      "CPU Name: 12th Gen Intel(R) Core(TM) i7-1260P",
      "CPU Type: Intel64 Family 6 Model 154 Stepping 3",
      "CPU Cores: 12",
      "CPU Threads: 16",
      "CPU L2 Cache: 9216 KBytes",
      "CPU L3 Cache: 18432 KBytes",
      "Motherboard Manufacturer: LENOVO",
      "Motherboard Model: 21AHCTO1WW",
      "Motherboard Version: SDK0T76538 WIN",
      "Motherboard Serial Number: L1H****",
      "Gpu Name: Intel Corporation Alder Lake-P GT2 [Iris Xe Graphics]",
      "GPU RAM: ",
      "GPU Driver: 6.5.0-14-generic",
      "Memory Bank Numbers: 2",
      "Memory Bank Manufacturer N.1 Samsung",
      "Memory Bank Manufacturer N.2 Samsung",
      "Memory Bank Bytes N.1 8589934592",
      "Memory Bank Bytes N.2 8589934592",
      "Memory MHz Speed Bank 1 4800",
      "Memory MHz Speed Bank 2 4800",
      "Operating System Name: Ubuntu 23.10",
      "Operating System Build: 6.5.0-14-generic",
  };
  EXPECT_EQ(SystemLines(), root);

  // An ordinary user: the same modules from udev, the serial number
  // silently empty, and no message.
  OnlyRootMayRead("sys/firmware/dmi/tables/DMI");
  OnlyRootMayRead("sys/class/dmi/id/board_serial");
  std::vector<std::string> user = root;
  user[9] = "Motherboard Serial Number: ****";
  EXPECT_EQ(SystemLines(), user);

  // Neither source: the lines of a machine without modules.
  OnlyRootMayRead("run/udev/data/+dmi:id");
  std::vector<std::string> none = user;
  none.erase(none.begin() + 14, none.begin() + 20);
  none[13] = "Memory Bank Numbers: 0";
  EXPECT_EQ(SystemLines(), none);
}

// ---- A desktop: LVM on NVMe, a Radeon card, four slots with two modules ----

TEST_F(MadeUpMachine, LvmOnNvmeDesktop) {
  std::string cpuinfo;
  for (int i = 0; i < 16; ++i) {
    cpuinfo += "processor\t: " + std::to_string(i) +
               "\nvendor_id\t: AuthenticAMD\ncpu family\t: 25\nmodel\t\t: 33\n"
               "model name\t: AMD Ryzen 7 5800X 8-Core Processor\nstepping\t: 0\ncpu cores\t: 8\n\n";
    const std::string pair = std::to_string(i % 8) + "," + std::to_string(i % 8 + 8);
    Cpu(i, 0, pair, "512K", pair, "32768K", "0-15");
  }
  Put("proc/cpuinfo", cpuinfo);
  Board("ASUSTeK COMPUTER INC.", "ROG STRIX B550-F GAMING", "Rev X.0x", "210686812345678");
  Put("sys/firmware/dmi/tables/DMI", MemoryDevice(0, 0, "") + MemoryDevice(16384, 3200, "Kingston") +
                                         MemoryDevice(0, 0, "") + MemoryDevice(16384, 3200, "Kingston") +
                                         SMBIOS_END);
  const std::string gpu = "sys/devices/pci0000:00/0000:00:03.1/0000:09:00.0/0000:0a:00.0/0000:0b:00.0";
  Link("sys/class/drm/card0/device", gpu);
  Driven(gpu, "pci", "amdgpu");
  Put(gpu + "/vendor", "0x1002\n"), Put(gpu + "/device", "0x73df\n");
  Put(gpu + "/mem_info_vram_total", "12868124672\n");
  Put("usr/share/misc/pci.ids",
      "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n\t73df  Navi 22 [Radeon RX 6700 XT]\n");
  Kernel("6.7.4-arch1-1", "Arch Linux");

  const std::string nvme = "sys/devices/pci0000:00/0000:00:01.1/0000:01:00.0/nvme/nvme0/nvme0n1";
  Disk(nvme, "nvme0n1", "259:0", {{"model", "Samsung SSD 980 PRO 1TB                 \n"}});
  Partition(nvme, "nvme0n1p1", "259:1", 1);
  Partition(nvme, "nvme0n1p2", "259:2", 2);
  Partition(nvme, "nvme0n1p3", "259:3", 3);
  Stacked("dm-0", "254:0", {nvme + "/nvme0n1p3"});
  Stacked("dm-1", "254:1", {nvme + "/nvme0n1p3"});

  EXPECT_EQ(SystemLines(), (std::vector<std::string>{
                               "CPU Name: AMD Ryzen 7 5800X 8-Core Processor",
                               "CPU Type: AMD64 Family 25 Model 33 Stepping 0",
                               "CPU Cores: 8",
                               "CPU Threads: 16",
                               "CPU L2 Cache: 4096 KBytes",
                               "CPU L3 Cache: 32768 KBytes",
                               "Motherboard Manufacturer: ASUSTeK COMPUTER INC.",
                               "Motherboard Model: ROG STRIX B550-F GAMING",
                               "Motherboard Version: Rev X.0x",
                               "Motherboard Serial Number: 2106868****",
                               "Gpu Name: Advanced Micro Devices, Inc. [AMD/ATI] Navi 22 [Radeon RX 6700 XT]",
                               "GPU RAM: 4293918720",
                               "GPU Driver: 6.7.4-arch1-1",
                               "Memory Bank Numbers: 2",
                               "Memory Bank Manufacturer N.1 Kingston",
                               "Memory Bank Manufacturer N.2 Kingston",
                               "Memory Bank Bytes N.1 17179869184",
                               "Memory Bank Bytes N.2 17179869184",
                               "Memory MHz Speed Bank 1 3200",
                               "Memory MHz Speed Bank 2 3200",
                               "Operating System Name: Arch Linux",
                               "Operating System Build: 6.7.4-arch1-1",
                           }));
  EXPECT_EQ(DriveLines("22 1 254:0 / / rw,relatime - ext4 /dev/mapper/vg0-root rw\n"
                       "23 22 259:2 / /boot rw,relatime - ext4 /dev/nvme0n1p2 rw\n"
                       "24 23 259:1 / /boot/efi rw,relatime - vfat /dev/nvme0n1p1 rw\n"
                       "25 22 254:1 / /home rw,relatime - xfs /dev/mapper/vg0-home rw\n",
                       {{"/", 100 * GIB}, {"/boot", GIB}, {"/boot/efi", GIB / 2}, {"/home", 800 * GIB}},
                       "/home/lee/bench"),
            "/\n100.000\nSamsung SSD 980 PRO 1TB\n---\n\n"
            "/boot\n1.000\nSamsung SSD 980 PRO 1TB\n---\n"
            "/boot/efi\n0.500\nSamsung SSD 980 PRO 1TB\n---\n"
            "/home\n800.000\nSamsung SSD 980 PRO 1TB\n---\n"
            "--\n"
            "Drive under test: /home on /dev/mapper/vg0-home (xfs)\nCapacity: 800.000 GiB\n"
            "Model: Samsung SSD 980 PRO 1TB\n");
}

// ---- Hostile mount point names in the list ----

TEST_F(MadeUpMachine, HostileMountPointCannotSplitAnEntry) {
  const std::string disk = "sys/devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda";
  Disk(disk, "sda", "8:0", {{"vendor", "ATA     \n"}, {"model", "Evil\x1b]0;pwned\x07 SSD\n"}});
  Partition(disk, "sda1", "8:1", 1);
  EXPECT_EQ(DriveLines("28 1 8:1 / /mnt/a\\012b\x1b"
                       "c rw - ext4 /dev/sda1 rw\n",
                       {},
                       "/mnt/a\nb\x1b"
                       "c/x"),
            "/mnt/a\\nb\\x1bc\n---\nEvil\\x1b]0;pwned\\x07 SSD\n---\n"
            "--\n"
            "Drive under test: /mnt/a\\nb\\x1bc on /dev/sda1 (ext4)\nModel: Evil\\x1b]0;pwned\\x07 SSD\n");
}

}  // namespace
}  // namespace qm
