// The processor as /proc/cpuinfo and sysfs describe it, decoded by pure
// functions so that they can be checked with hand-made inputs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One "processor" block of /proc/cpuinfo; absent fields stay empty. x86
// machines give the model name and family figures, ARM machines the fields
// of the main identification register ("CPU implementer" and the rest,
// written as the kernel writes them: "0x41", "8", "0x0", "0xd08", "3").
struct CpuInfoEntry {
  int processor = -1;
  std::string modelName;
  std::string vendorId;
  std::string family;
  std::string model;
  std::string stepping;
  std::string cpuCores;
  std::string armImplementer;
  std::string armArchitecture;
  std::string armVariant;
  std::string armPart;
  std::string armRevision;
};

std::vector<CpuInfoEntry> ParseCpuInfo(std::string_view cpuinfo);

// The processor's caption in the form the management service gives it:
// "Intel64 Family 6 Model 158 Stepping 10", "AMD64 Family 25 Model 1
// Stepping 1"; on ARM the same shape from the identification register,
// "ARM64 Implementer 0x41 Variant 0x0 Part 0xd08 Revision 3". Other
// processors carry the machine name, and without any figures the caption
// is the machine name alone.
std::string ProcessorCaption(const CpuInfoEntry& entry, const std::string& machine);

// The processor's name from the entries of its logical processors: the
// model name where cpuinfo has one; on ARM the maker and its cores from the
// part table ("ARM Cortex-A55 + Cortex-A76" for a chip of two kinds);
// otherwise the machine name. The device tree's model, when there is one,
// follows in parentheses on machines without a model name.
std::string ProcessorName(const std::vector<CpuInfoEntry>& entries, const std::string& deviceTreeModel,
                          const std::string& machine);

// A cache size of sysfs ("512K", "32M", "1024") in kilobytes.
std::optional<uint32_t> CacheSizeKb(std::string_view text);

}  // namespace qm
