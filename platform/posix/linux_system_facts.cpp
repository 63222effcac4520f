#include "platform/posix/linux_system_facts.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "platform/posix/kernel_files.h"
#include "platform/posix/linux_cpu_decode.h"
#include "platform/posix/linux_graphics_decode.h"
#include "platform/posix/linux_memory_decode.h"
#include "platform/posix/os_release.h"

namespace qm {
namespace {

constexpr uint32_t WBEM_E_FAILED = 0x80041001;
constexpr uint32_t WBEM_E_ACCESS_DENIED = 0x80041003;
constexpr uint32_t WBEM_E_INVALID_CLASS = 0x80041010;
// Adapters with 4 GiB or more report this much: the property has 32 bits.
constexpr uint64_t ADAPTER_RAM_LIMIT = 4293918720;
constexpr uint32_t VIRTIO_ID_GPU = 16;

// "cpu12" -> 12, "card0" -> 0; anything else -> nullopt.
std::optional<int> NumberAfter(const std::string& name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  return ParseDecimal<int>(std::string_view(name).substr(prefix.size()));
}

WmiProperty StringProperty(const char16_t* name, const std::optional<std::string>& value) {
  WmiProperty property{name, {}};
  if (value) property.value = {WmiValueType::String, FromUtf8(*value), 0};
  return property;
}

WmiProperty IntegerProperty(const char16_t* name, std::optional<uint64_t> value) {
  WmiProperty property{name, {}};
  if (value)
    property.value = {WmiValueType::Integer32, Text(), static_cast<int32_t>(static_cast<uint32_t>(*value))};
  return property;
}

void Deliver(const WmiObject& object, const WmiObjectSink& sink) {
  for (const WmiProperty& property : object) sink.property(property.name, property.value);
}

struct Machine {
  std::string machine;  // x86_64, aarch64
  std::string release;  // the kernel's release
  std::string system;   // Linux
};

// The kernel's name and release as its files under top tell them, the
// running kernel's where they are missing.
Machine MachineOf(const std::string& top) {
  utsname names{};
  Machine machine;
  if (::uname(&names) == 0) machine = {names.machine, names.release, names.sysname};
  if (auto release = Attribute(top + "/proc/sys/kernel/osrelease")) machine.release = *release;
  if (auto system = Attribute(top + "/proc/sys/kernel/ostype")) machine.system = *system;
  return machine;
}

// Fails the query for an unreadable source; true when it did.
bool Failed(SourceState source, const WmiObjectSink& sink) {
  if (source != SourceState::Denied && source != SourceState::Failed) return false;
  if (sink.failure) {
    if (source == SourceState::Denied)
      sink.failure(WmiStep::ConnectServer, WBEM_E_ACCESS_DENIED);
    else
      sink.failure(WmiStep::ExecQuery, WBEM_E_FAILED);
  }
  return true;
}

// Lists the folder of a source; false when it cannot, after failing the
// query for one that exists but cannot be read.
bool ListSourceFolder(const std::string& path, std::vector<std::string>& names, const WmiObjectSink& sink) {
  SourceState source = ListFolder(path, names);
  if (source == SourceState::Read) return true;
  Failed(source, sink);
  return false;
}

// The model of a device-tree machine ("Raspberry Pi 4 Model B Rev 1.4");
// empty elsewhere.
std::string DeviceTreeModel(const std::string& top) {
  std::string bytes;
  for (const char* path : {"/sys/firmware/devicetree/base/model", "/proc/device-tree/model"})
    if (ReadWholeFile(top + path, bytes) == SourceState::Read) return FirstPropertyString(bytes);
  return std::string();
}

bool HasDeviceTree(const std::string& top) {
  std::vector<std::string> names;
  return ListFolder(top + "/sys/firmware/devicetree/base", names) == SourceState::Read ||
         ListFolder(top + "/proc/device-tree", names) == SourceState::Read;
}

// ---- Win32_Processor: one object per physical package ----

struct Package {
  std::vector<int> cpus;
  std::set<std::string> cores;
  std::map<std::pair<int, std::string>, uint32_t> caches;  // (level, sharing cpus) -> KB
  bool cachesKnown = false;
};

void ReadCaches(const std::string& cpuPath, Package& package) {
  std::vector<std::string> indexes;
  if (ListFolder(cpuPath + "/cache", indexes) != SourceState::Read) return;
  for (const std::string& index : indexes) {
    if (!NumberAfter(index, "index")) continue;
    std::string base = cpuPath;
    base.append("/cache/").append(index).append("/");
    auto level = Attribute(base + "level");
    auto type = Attribute(base + "type");
    auto size = Attribute(base + "size");
    if (!level || !size || type == "Instruction") continue;
    auto kb = CacheSizeKb(*size);
    int levelNumber = (*level == "2") ? 2 : (*level == "3") ? 3 : 0;
    if (!kb || levelNumber == 0) continue;
    package.caches[{levelNumber, Attribute(base + "shared_cpu_list").value_or(base)}] = *kb;
    package.cachesKnown = true;
  }
}

std::optional<uint64_t> CacheTotal(const Package& package, int level) {
  if (!package.cachesKnown) return std::nullopt;
  uint64_t total = 0;
  for (const auto& [key, kb] : package.caches)
    if (key.first == level) total += kb;
  return total;
}

// The packages by their id. On a device-tree ARM machine the id the
// kernel gives is a cluster's number (a chip of big and little cores has
// two), while the machine has one chip: all its processors are one package.
std::map<int, Package> ReadPackages(const std::string& top, bool oneChip) {
  std::map<int, Package> packages;
  const std::string root = top + "/sys/devices/system/cpu/";
  std::vector<std::string> names;
  ListFolder(root, names);
  std::vector<std::pair<int, std::string>> cpus;
  for (const std::string& name : names)
    if (auto number = NumberAfter(name, "cpu")) cpus.emplace_back(*number, root + name);
  std::sort(cpus.begin(), cpus.end());
  for (const auto& [number, path] : cpus) {
    auto packageId = Attribute(path + "/topology/physical_package_id");
    if (!packageId) continue;  // offline
    int id = oneChip ? 0 : std::max(0, std::atoi(packageId->c_str()));
    Package& package = packages[id];
    package.cpus.push_back(number);
    auto core = Attribute(path + "/topology/thread_siblings_list");
    package.cores.insert(core ? *core : Attribute(path + "/topology/core_id").value_or(path));
    ReadCaches(path, package);
  }
  return packages;
}

void QueryProcessors(const std::string& top, const WmiObjectSink& sink) {
  std::string cpuinfo;
  SourceState source = ReadWholeFile(top + "/proc/cpuinfo", cpuinfo);
  if (Failed(source, sink)) return;
  std::vector<CpuInfoEntry> entries = ParseCpuInfo(cpuinfo);
  const bool arm = !entries.empty() && !entries.front().armImplementer.empty();
  std::map<int, Package> packages = ReadPackages(top, arm && HasDeviceTree(top));
  if (packages.empty() && !entries.empty()) {
    // No topology in sysfs: one package with what cpuinfo says.
    Package& only = packages[0];
    for (const CpuInfoEntry& entry : entries) only.cpus.push_back(entry.processor);
    size_t cores = entries.size();
    if (int perPackage = std::atoi(entries.front().cpuCores.c_str()); perPackage > 0) cores = perPackage;
    for (size_t i = 0; i < cores; ++i) only.cores.insert(std::to_string(i));
  }
  const Machine machine = MachineOf(top);
  const std::string model = DeviceTreeModel(top);
  for (const auto& [id, package] : packages) {
    std::vector<CpuInfoEntry> own;
    for (int cpu : package.cpus)
      for (const CpuInfoEntry& entry : entries)
        if (entry.processor == cpu) own.push_back(entry);
    if (own.empty() && !entries.empty()) own.push_back(entries.front());
    const CpuInfoEntry first = own.empty() ? CpuInfoEntry{} : own.front();
    Deliver(
        {
            StringProperty(u"Caption", ProcessorCaption(first, machine.machine)),
            IntegerProperty(u"L2CacheSize", CacheTotal(package, 2)),
            IntegerProperty(u"L3CacheSize", CacheTotal(package, 3)),
            StringProperty(u"Name", ProcessorName(own, model, machine.machine)),
            IntegerProperty(u"NumberOfCores", package.cores.size()),
            IntegerProperty(u"ThreadCount", package.cpus.size()),
        },
        sink);
  }
}

// ---- Win32_BaseBoard: the board of the DMI identification ----

void QueryBoard(const std::string& top, const WmiObjectSink& sink) {
  const std::string root = top + "/sys/class/dmi/id/";
  std::vector<std::string> names;
  if (!ListSourceFolder(root, names, sink)) return;
  // The serial number is readable by root only: elsewhere it has no value.
  Deliver(
      {
          StringProperty(u"Manufacturer", Attribute(root + "board_vendor")),
          StringProperty(u"Product", Attribute(root + "board_name")),
          StringProperty(u"SerialNumber", Attribute(root + "board_serial")),
          StringProperty(u"Version", Attribute(root + "board_version")),
      },
      sink);
}

// ---- Win32_VideoController: the DRM cards ----

std::string PciIds(const std::string& top) {
  std::string bytes;
  for (const char* path : {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids", "/usr/share/pci.ids"})
    if (ReadWholeFile(top + path, bytes) == SourceState::Read) return bytes;
  return std::string();
}

// A PCI function by its ids: its name in the id list, else the driver (or
// "PCI") and the ids. nullopt when the folder has no ids.
std::optional<std::string> PciCaption(const std::string& device, const std::string& driver,
                                      const std::string& pciIds) {
  auto vendor = Attribute(device + "vendor");
  auto product = Attribute(device + "device");
  if (!vendor || !product) return std::nullopt;
  auto vendorId = static_cast<uint16_t>(std::strtoul(vendor->c_str(), nullptr, 16));
  auto productId = static_cast<uint16_t>(std::strtoul(product->c_str(), nullptr, 16));
  if (auto name = PciDeviceName(pciIds, vendorId, productId)) return name;
  char ids[16];
  std::snprintf(ids, sizeof ids, "%04x:%04x", vendorId, productId);
  return (driver.empty() ? std::string("PCI") : driver) + " [" + ids + "]";
}

// What a user calls the device behind a DRM card: a PCI card by the id
// list; a virtio device by the PCI function that carries it, or by its
// kind; a block of a chip by its device tree's compatible string; anything
// else by its driver.
std::optional<std::string> GpuCaption(const std::string& device, const std::string& driver,
                                      const std::string& pciIds) {
  const std::string bus = LinkName(device + "subsystem");
  if (bus == "virtio") {
    if (auto carrier = PciCaption(device + "../", driver, pciIds)) return carrier;
    auto id = Attribute(device + "device");
    return VirtioDeviceName(
        id ? static_cast<uint32_t>(std::strtoul(id->c_str(), nullptr, 16)) : VIRTIO_ID_GPU, driver);
  }
  if (bus != "platform")
    if (auto pci = PciCaption(device, driver, pciIds)) return pci;
  std::string compatible;
  std::string bytes;
  if (ReadWholeFile(device + "of_node/compatible", bytes) == SourceState::Read)
    compatible = FirstPropertyString(bytes);
  if (compatible.empty() && ReadWholeFile(device + "uevent", bytes) == SourceState::Read)
    compatible = UeventValue(bytes, "OF_COMPATIBLE_0");
  std::string name = DeviceTreeDeviceName(compatible, driver);
  if (name.empty()) return std::nullopt;
  return name;
}

void QueryVideoControllers(const std::string& top, const WmiObjectSink& sink) {
  const std::string root = top + "/sys/class/drm/";
  std::vector<std::string> names;
  if (!ListSourceFolder(root, names, sink)) return;
  std::vector<std::pair<int, std::string>> cards;
  for (const std::string& name : names)
    if (auto number = NumberAfter(name, "card")) cards.emplace_back(*number, root + name + "/device/");
  std::sort(cards.begin(), cards.end());
  if (cards.empty()) return;
  const std::string pciIds = PciIds(top);
  const Machine machine = MachineOf(top);
  for (const auto& [number, device] : cards) {
    const std::string driver = LinkName(device + "driver");
    // The module's own version where it has one; drivers built with the
    // kernel carry the kernel's.
    std::optional<std::string> version;
    if (!driver.empty()) {
      std::string module = LinkName(device + "driver/module");
      version = Attribute(top + "/sys/module/" + (module.empty() ? driver : module) + "/version");
      if (!version) version = machine.release;
    }
    std::optional<uint64_t> memory;
    if (auto vram = Attribute(device + "mem_info_vram_total"))
      memory = std::min<uint64_t>(std::strtoull(vram->c_str(), nullptr, 10), ADAPTER_RAM_LIMIT);
    Deliver(
        {
            IntegerProperty(u"AdapterRAM", memory),
            StringProperty(u"Caption", GpuCaption(device, driver, pciIds)),
            StringProperty(u"DriverVersion", version),
        },
        sink);
  }
}

// ---- Win32_PhysicalMemory: SMBIOS memory devices, or udev's copy ----

std::vector<MemoryModule> ReadMemoryModules(const std::string& top) {
  std::string bytes;
  if (ReadWholeFile(top + "/sys/firmware/dmi/tables/DMI", bytes) == SourceState::Read)
    return DecodeSmbiosMemoryModules(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  if (ReadWholeFile(top + "/run/udev/data/+dmi:id", bytes) == SourceState::Read)
    return DecodeUdevMemoryModules(bytes);
  return {};
}

void QueryMemoryModules(const std::string& top, const WmiObjectSink& sink) {
  for (const MemoryModule& module : ReadMemoryModules(top)) {
    // The capacity has 64 bits, which the service delivers as a decimal string.
    std::optional<std::string> capacity;
    if (module.capacityBytes) capacity = std::to_string(*module.capacityBytes);
    Deliver(
        {
            StringProperty(u"Capacity", capacity),
            StringProperty(u"Manufacturer", module.manufacturer),
            IntegerProperty(u"Speed", module.speedMts),
        },
        sink);
  }
}

// ---- Win32_OperatingSystem: os-release and the kernel ----

void QueryOperatingSystem(const std::string& top, const WmiObjectSink& sink) {
  std::string osRelease;
  if (ReadWholeFile(top + "/etc/os-release", osRelease) != SourceState::Read)
    ReadWholeFile(top + "/usr/lib/os-release", osRelease);
  const Machine machine = MachineOf(top);
  std::optional<std::string> caption = OsReleaseValue(osRelease, "PRETTY_NAME");
  if (!caption || caption->empty()) {
    auto name = OsReleaseValue(osRelease, "NAME");
    auto version = OsReleaseValue(osRelease, "VERSION");
    caption = name ? *name + (version ? " " + *version : "") : machine.system;
  }
  std::optional<std::string> build;
  if (!machine.release.empty()) build = machine.release;
  Deliver({StringProperty(u"BuildNumber", build), StringProperty(u"Caption", caption)}, sink);
}

}  // namespace

void QueryLinuxSystemFacts(const std::string& top, const Text& className, const WmiObjectSink& sink) {
  if (className == u"Win32_Processor")
    QueryProcessors(top, sink);
  else if (className == u"Win32_BaseBoard")
    QueryBoard(top, sink);
  else if (className == u"Win32_VideoController")
    QueryVideoControllers(top, sink);
  else if (className == u"Win32_PhysicalMemory")
    QueryMemoryModules(top, sink);
  else if (className == u"Win32_OperatingSystem")
    QueryOperatingSystem(top, sink);
  else if (sink.failure)
    sink.failure(WmiStep::ExecQuery, WBEM_E_INVALID_CLASS);
}

}  // namespace qm
