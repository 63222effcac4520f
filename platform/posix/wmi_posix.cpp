// Management objects on Linux: the five classes the inventory asks for,
// read from the kernel's and the firmware's own sources and typed as the
// Windows management service types them (strings, 32-bit integers, or no
// value). A source that is absent means the class has no objects here; a
// source that exists but cannot be read fails the query like the service
// does: access denied at the connection, any other error at the query.
#include <dirent.h>
#include <fcntl.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "platform/posix/wmi_linux_decode.h"
#include "platform/wmi.h"

namespace qm {
namespace {

constexpr uint32_t WBEM_E_FAILED = 0x80041001;
constexpr uint32_t WBEM_E_ACCESS_DENIED = 0x80041003;
// Adapters with 4 GiB or more report this much: the property has 32 bits.
constexpr uint64_t ADAPTER_RAM_LIMIT = 4293918720;

enum class Source { Read, Absent, Denied, Failed };

Source ReadFileBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return errno == ENOENT || errno == ENOTDIR ? Source::Absent
           : errno == EACCES || errno == EPERM ? Source::Denied
                                               : Source::Failed;
  }
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      Source result = errno == EACCES || errno == EPERM ? Source::Denied : Source::Failed;
      ::close(fd);
      return result;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return Source::Read;
}

// A one-line sysfs attribute, trimmed; nullopt when it cannot be read.
std::optional<std::string> Attribute(const std::string& path) {
  std::string bytes;
  if (ReadFileBytes(path, bytes) != Source::Read) return std::nullopt;
  return Trimmed(bytes);
}

Source ListDirectory(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  DIR* directory = ::opendir(path.c_str());
  if (directory == nullptr) {
    return errno == ENOENT || errno == ENOTDIR ? Source::Absent
           : errno == EACCES || errno == EPERM ? Source::Denied
                                               : Source::Failed;
  }
  while (dirent* entry = ::readdir(directory)) names.emplace_back(entry->d_name);
  ::closedir(directory);
  std::sort(names.begin(), names.end());
  return Source::Read;
}

// "cpu12" -> 12, "card0" -> 0; anything else -> nullopt.
std::optional<int> NumberAfter(const std::string& name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  int value = 0;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9' || value > 100000) return std::nullopt;
    value = value * 10 + (name[i] - '0');
  }
  return value;
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

struct Machine {
  std::string machine;
  std::string release;
  std::string system;
};

Machine ThisMachine() {
  utsname names{};
  if (::uname(&names) != 0) return {};
  return {names.machine, names.release, names.sysname};
}

// Fails the query for an unreadable source; true when it did.
bool Failed(Source source, const WmiObjectSink& sink) {
  if (source != Source::Denied && source != Source::Failed) return false;
  if (sink.failure) {
    if (source == Source::Denied)
      sink.failure(WmiStep::ConnectServer, WBEM_E_ACCESS_DENIED);
    else
      sink.failure(WmiStep::ExecQuery, WBEM_E_FAILED);
  }
  return true;
}

// ---- Win32_Processor: one object per physical package ----

struct Package {
  int firstCpu = -1;
  std::set<std::string> cores;
  uint32_t threads = 0;
  std::map<std::pair<int, std::string>, uint32_t> caches;  // (level, sharing cpus) -> KB
  bool cachesKnown = false;
};

void ReadCaches(const std::string& cpuPath, Package& package) {
  std::vector<std::string> indexes;
  if (ListDirectory(cpuPath + "/cache", indexes) != Source::Read) return;
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

std::map<int, Package> ReadPackages(const std::string& top) {
  std::map<int, Package> packages;
  const std::string root = top + "/sys/devices/system/cpu/";
  std::vector<std::string> names;
  ListDirectory(root, names);
  std::vector<std::pair<int, std::string>> cpus;
  for (const std::string& name : names)
    if (auto number = NumberAfter(name, "cpu")) cpus.emplace_back(*number, root + name);
  std::sort(cpus.begin(), cpus.end());
  for (const auto& [number, path] : cpus) {
    auto packageId = Attribute(path + "/topology/physical_package_id");
    if (!packageId) continue;  // offline
    Package& package = packages[std::atoi(packageId->c_str())];
    if (package.firstCpu < 0) package.firstCpu = number;
    auto core = Attribute(path + "/topology/thread_siblings_list");
    package.cores.insert(core ? *core : Attribute(path + "/topology/core_id").value_or(path));
    ++package.threads;
    ReadCaches(path, package);
  }
  return packages;
}

void QueryProcessors(const std::string& top, const WmiObjectSink& sink) {
  std::string cpuinfo;
  Source source = ReadFileBytes(top + "/proc/cpuinfo", cpuinfo);
  if (Failed(source, sink)) return;
  std::vector<CpuInfoEntry> entries = ParseCpuInfo(cpuinfo);
  std::map<int, Package> packages = ReadPackages(top);
  if (packages.empty() && !entries.empty()) {
    // No topology in sysfs: one package with what cpuinfo says.
    Package& only = packages[0];
    only.firstCpu = entries.front().processor;
    only.threads = static_cast<uint32_t>(entries.size());
    for (uint32_t i = 0; i < only.threads; ++i) only.cores.insert(std::to_string(i));
    if (auto cores = std::atoi(entries.front().cpuCores.c_str()); cores > 0) {
      only.cores.clear();
      for (int i = 0; i < cores; ++i) only.cores.insert(std::to_string(i));
    }
  }
  Machine machine = ThisMachine();
  for (const auto& [id, package] : packages) {
    CpuInfoEntry entry;
    for (const CpuInfoEntry& candidate : entries)
      if (candidate.processor == package.firstCpu) entry = candidate;
    if (entry.processor < 0 && !entries.empty()) entry = entries.front();
    std::string name = entry.modelName.empty() ? machine.machine : entry.modelName;
    WmiObject object = {
        StringProperty(u"Caption", ProcessorCaption(entry, machine.machine)),
        IntegerProperty(u"L2CacheSize", CacheTotal(package, 2)),
        IntegerProperty(u"L3CacheSize", CacheTotal(package, 3)),
        StringProperty(u"Name", name),
        IntegerProperty(u"NumberOfCores", package.cores.size()),
        IntegerProperty(u"ThreadCount", package.threads),
    };
    for (const WmiProperty& property : object) sink.property(property.name, property.value);
  }
}

// ---- Win32_BaseBoard: the board of the DMI identification ----

void QueryBoard(const std::string& top, const WmiObjectSink& sink) {
  const std::string root = top + "/sys/class/dmi/id/";
  std::vector<std::string> names;
  if (Source source = ListDirectory(root, names); source != Source::Read) {
    Failed(source, sink);
    return;
  }
  // The serial number is readable by root only: elsewhere it has no value.
  WmiObject object = {
      StringProperty(u"Manufacturer", Attribute(root + "board_vendor")),
      StringProperty(u"Product", Attribute(root + "board_name")),
      StringProperty(u"SerialNumber", Attribute(root + "board_serial")),
      StringProperty(u"Version", Attribute(root + "board_version")),
  };
  for (const WmiProperty& property : object) sink.property(property.name, property.value);
}

// ---- Win32_VideoController: the DRM cards ----

std::string PciIds(const std::string& top) {
  std::string bytes;
  for (const char* path : {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids", "/usr/share/pci.ids"})
    if (ReadFileBytes(top + path, bytes) == Source::Read) return bytes;
  return std::string();
}

std::string LinkName(const std::string& path) {
  char target[4096];
  ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
  if (length <= 0) return std::string();
  std::string link(target, static_cast<size_t>(length));
  size_t slash = link.rfind('/');
  return slash == std::string::npos ? link : link.substr(slash + 1);
}

void QueryVideoControllers(const std::string& top, const WmiObjectSink& sink) {
  const std::string root = top + "/sys/class/drm/";
  std::vector<std::string> names;
  if (Source source = ListDirectory(root, names); source != Source::Read) {
    Failed(source, sink);
    return;
  }
  std::vector<std::pair<int, std::string>> cards;
  for (const std::string& name : names)
    if (auto number = NumberAfter(name, "card")) cards.emplace_back(*number, root + name + "/device/");
  std::sort(cards.begin(), cards.end());
  if (cards.empty()) return;
  std::string pciIds = PciIds(top);
  Machine machine = ThisMachine();
  for (const auto& [number, device] : cards) {
    std::string driver = LinkName(device + "driver");
    auto vendor = Attribute(device + "vendor");
    auto product = Attribute(device + "device");
    std::optional<std::string> caption;
    if (vendor && product) {
      auto vendorId = static_cast<uint16_t>(std::strtoul(vendor->c_str(), nullptr, 16));
      auto productId = static_cast<uint16_t>(std::strtoul(product->c_str(), nullptr, 16));
      caption = PciDeviceName(pciIds, vendorId, productId);
      if (!caption) {
        char ids[16];
        std::snprintf(ids, sizeof ids, "%04x:%04x", vendorId, productId);
        caption = (driver.empty() ? std::string("PCI") : driver) + " [" + ids + "]";
      }
    } else if (!driver.empty()) {
      caption = driver;
    }
    // Drivers built with the kernel carry the kernel's version.
    std::string modulePath = top;
    modulePath.append("/sys/module/").append(driver).append("/version");
    std::optional<std::string> version = driver.empty() ? std::nullopt : Attribute(modulePath);
    if (!version && !driver.empty()) version = machine.release;
    std::optional<uint64_t> memory;
    if (auto vram = Attribute(device + "mem_info_vram_total")) {
      memory = std::min<uint64_t>(std::strtoull(vram->c_str(), nullptr, 10), ADAPTER_RAM_LIMIT);
    }
    WmiObject object = {
        IntegerProperty(u"AdapterRAM", memory),
        StringProperty(u"Caption", caption),
        StringProperty(u"DriverVersion", version),
    };
    for (const WmiProperty& property : object) sink.property(property.name, property.value);
  }
}

// ---- Win32_PhysicalMemory: SMBIOS memory devices ----

void QueryMemoryModules(const std::string& top, const WmiObjectSink& sink) {
  std::string bytes;
  Source source = ReadFileBytes(top + "/sys/firmware/dmi/tables/DMI", bytes);
  if (source != Source::Read) {
    Failed(source, sink);
    return;
  }
  std::vector<uint8_t> table(bytes.begin(), bytes.end());
  for (const MemoryModule& module : DecodeSmbiosMemoryModules(table)) {
    // The capacity has 64 bits, which the service delivers as a decimal string.
    std::optional<std::string> capacity;
    if (module.capacityBytes) capacity = std::to_string(*module.capacityBytes);
    WmiObject object = {
        StringProperty(u"Capacity", capacity),
        StringProperty(u"Manufacturer", module.manufacturer),
        IntegerProperty(u"Speed", module.speedMts),
    };
    for (const WmiProperty& property : object) sink.property(property.name, property.value);
  }
}

// ---- Win32_OperatingSystem: os-release and the kernel ----

void QueryOperatingSystem(const std::string& top, const WmiObjectSink& sink) {
  std::string osRelease;
  if (ReadFileBytes(top + "/etc/os-release", osRelease) != Source::Read)
    ReadFileBytes(top + "/usr/lib/os-release", osRelease);
  Machine machine = ThisMachine();
  std::optional<std::string> caption = OsReleaseValue(osRelease, "PRETTY_NAME");
  if (!caption || caption->empty()) {
    auto name = OsReleaseValue(osRelease, "NAME");
    auto version = OsReleaseValue(osRelease, "VERSION");
    caption = name ? *name + (version ? " " + *version : "") : machine.system;
  }
  std::optional<std::string> build;
  if (!machine.release.empty()) build = machine.release;
  WmiObject object = {
      StringProperty(u"BuildNumber", build),
      StringProperty(u"Caption", caption),
  };
  for (const WmiProperty& property : object) sink.property(property.name, property.value);
}

}  // namespace

void QueryLinuxSources(const std::string& top, const Text& className, const WmiObjectSink& sink) {
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
    sink.failure(WmiStep::ExecQuery, 0x80041010);  // WBEM_E_INVALID_CLASS
}

namespace {

void QueryClass(const Text& className, const WmiObjectSink& sink) { QueryLinuxSources("", className, sink); }

void ShowMessage(const Text& caption, const Text& text) {
  std::fprintf(stderr, "%s: %s\n", Utf8(caption).c_str(), Utf8(text).c_str());
}

const WmiOps POSIX_WMI_OPS = {QueryClass, ShowMessage};

}  // namespace

const WmiOps& NativeWmiOps() { return POSIX_WMI_OPS; }

}  // namespace qm
