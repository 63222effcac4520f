#include "platform/posix/linux_cpu_decode.h"

#include <cstdlib>
#include <utility>

#include "platform/posix/arm_cpu_parts.h"
#include "platform/posix/kernel_files.h"

namespace qm {
namespace {

// "0x41" and "65" alike.
uint32_t RegisterField(const std::string& text) {
  return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 0));
}

bool IsArm(const CpuInfoEntry& entry) { return !entry.armImplementer.empty() && !entry.armPart.empty(); }

// The architecture word of the caption: 64-bit kernels report
// architecture 8 (or "AArch64") for every core; 32-bit ones 7 or less.
std::string ArmArchitectureWord(const std::string& architecture) {
  return architecture == "AArch64" || RegisterField(architecture) >= 8 ? "ARM64" : "ARM";
}

std::string ArmName(const std::vector<CpuInfoEntry>& entries) {
  // Each kind of core once, in the order of the logical processors.
  std::vector<std::pair<uint32_t, uint32_t>> kinds;
  for (const CpuInfoEntry& entry : entries) {
    if (!IsArm(entry)) continue;
    std::pair<uint32_t, uint32_t> kind = {RegisterField(entry.armImplementer), RegisterField(entry.armPart)};
    bool seen = false;
    for (const auto& known : kinds) seen = seen || known == kind;
    if (!seen) kinds.push_back(kind);
  }
  std::string name;
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (i > 0) name += " + ";
    // The maker once, unless the chip mixes makers.
    if (i == 0 || kinds[i].first != kinds[0].first) name += ArmImplementerName(kinds[i].first) + " ";
    name += ArmPartName(kinds[i].first, kinds[i].second);
  }
  return name;
}

}  // namespace

std::vector<CpuInfoEntry> ParseCpuInfo(std::string_view cpuinfo) {
  std::vector<CpuInfoEntry> entries;
  ForEachLine(cpuinfo, [&entries](std::string_view line) {
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;
    std::string key = Trimmed(line.substr(0, colon));
    std::string value = Trimmed(line.substr(colon + 1));
    if (key == "processor") {
      entries.emplace_back();
      entries.back().processor = ParseDecimal<int>(value).value_or(-1);
      return;
    }
    if (entries.empty()) entries.emplace_back();  // fields before any "processor" line
    CpuInfoEntry& entry = entries.back();
    std::pair<const char*, std::string CpuInfoEntry::*> fields[] = {
        {"model name", &CpuInfoEntry::modelName},
        {"vendor_id", &CpuInfoEntry::vendorId},
        {"cpu family", &CpuInfoEntry::family},
        {"model", &CpuInfoEntry::model},
        {"stepping", &CpuInfoEntry::stepping},
        {"cpu cores", &CpuInfoEntry::cpuCores},
        {"CPU implementer", &CpuInfoEntry::armImplementer},
        {"CPU architecture", &CpuInfoEntry::armArchitecture},
        {"CPU variant", &CpuInfoEntry::armVariant},
        {"CPU part", &CpuInfoEntry::armPart},
        {"CPU revision", &CpuInfoEntry::armRevision},
    };
    for (const auto& [name, field] : fields)
      if (key == name) entry.*field = value;
  });
  return entries;
}

std::string ProcessorCaption(const CpuInfoEntry& entry, const std::string& machine) {
  if (IsArm(entry)) {
    return ArmArchitectureWord(entry.armArchitecture) + " Implementer " + entry.armImplementer + " Variant " +
           entry.armVariant + " Part " + entry.armPart + " Revision " + entry.armRevision;
  }
  if (entry.family.empty()) return machine;
  std::string architecture = entry.vendorId == "GenuineIntel"   ? "Intel64"
                             : entry.vendorId == "AuthenticAMD" ? "AMD64"
                                                                : machine;
  return architecture + " Family " + entry.family + " Model " + entry.model + " Stepping " + entry.stepping;
}

std::string ProcessorName(const std::vector<CpuInfoEntry>& entries, const std::string& deviceTreeModel,
                          const std::string& machine) {
  const CpuInfoEntry first = entries.empty() ? CpuInfoEntry{} : entries.front();
  std::string name;
  if (IsArm(first))
    name = ArmName(entries);
  else if (!first.modelName.empty())
    return first.modelName;
  else
    name = machine;
  if (!deviceTreeModel.empty()) name += " (" + deviceTreeModel + ")";
  return name;
}

std::optional<uint32_t> CacheSizeKb(std::string_view text) {
  std::string trimmed = Trimmed(text);
  std::string_view digits = trimmed;
  uint32_t scale = 1;
  if (!digits.empty() && (digits.back() == 'K' || digits.back() == 'M')) {
    scale = digits.back() == 'M' ? 1024 : 1;
    digits.remove_suffix(1);
  } else if (!digits.empty()) {
    scale = 0;  // plain bytes
  }
  auto value = ParseDecimal<uint32_t>(digits);
  if (!value) return std::nullopt;
  return scale == 0 ? *value / 1024 : *value * scale;
}

}  // namespace qm
