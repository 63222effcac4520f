// The Linux sources of the management objects, and their decoders: pure
// functions over the bytes of /proc/cpuinfo, the SMBIOS table, os-release
// and the PCI id list, so that they can be checked with hand-made inputs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wmi.h"

namespace qm {

// One "processor" block of /proc/cpuinfo; absent fields stay empty.
struct CpuInfoEntry {
  int processor = -1;
  std::string modelName;
  std::string vendorId;
  std::string family;
  std::string model;
  std::string stepping;
  std::string cpuCores;
};

std::vector<CpuInfoEntry> ParseCpuInfo(std::string_view cpuinfo);

// The processor's caption in the form the management service gives it:
// "Intel64 Family 6 Model 158 Stepping 10", "AMD64 Family 25 Model 1
// Stepping 1"; other vendors carry the machine name, and without family
// figures the caption is the machine name alone.
std::string ProcessorCaption(const CpuInfoEntry& entry, const std::string& machine);

// A cache size of sysfs ("512K", "32M", "1024") in kilobytes.
std::optional<uint32_t> CacheSizeKb(std::string_view text);

// An installed memory module of an SMBIOS type 17 structure. Unknown
// figures are absent, as the management service leaves them without value.
struct MemoryModule {
  std::optional<uint32_t> speedMts;
  std::optional<uint64_t> capacityBytes;
  std::optional<std::string> manufacturer;
};

// The installed modules of a raw SMBIOS structure table
// (/sys/firmware/dmi/tables/DMI), in table order; empty slots are left out.
// A truncated structure ends the walk.
std::vector<MemoryModule> DecodeSmbiosMemoryModules(const std::vector<uint8_t>& table);

// The value of key in an os-release file, quotes and escapes removed;
// nullopt when the key is missing.
std::optional<std::string> OsReleaseValue(std::string_view osRelease, std::string_view key);

// "Vendor Device" names of a PCI id list (pci.ids); an unknown device gives
// the vendor name alone, an unknown vendor nothing.
std::optional<std::string> PciDeviceName(std::string_view pciIds, uint16_t vendor, uint16_t device);

// The objects of className from the sources under the folder top ("" for
// this machine; tests build a small tree of their own).
void QueryLinuxSources(const std::string& top, const Text& className, const WmiObjectSink& sink);

// Leading and trailing blanks and line ends removed.
std::string Trimmed(std::string_view text);

}  // namespace qm
