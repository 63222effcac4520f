#include "platform/posix/wmi_linux_decode.h"

#include <charconv>

namespace qm {
namespace {

// Splits text into lines without their line ends, calling visit for each.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    visit(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text, int base = 10) {
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

uint16_t Word(const std::vector<uint8_t>& table, size_t at) {
  return static_cast<uint16_t>(table[at] | (table[at + 1] << 8));
}

uint32_t DoubleWord(const std::vector<uint8_t>& table, size_t at) {
  return static_cast<uint32_t>(Word(table, at)) | (static_cast<uint32_t>(Word(table, at + 2)) << 16);
}

// SMBIOS structure header and the type 17 fields we read (offsets into the
// formatted area).
constexpr uint8_t SMBIOS_MEMORY_DEVICE = 17;
constexpr uint8_t SMBIOS_END_OF_TABLE = 127;
constexpr size_t MD_SIZE = 0x0C;
constexpr size_t MD_SPEED = 0x15;
constexpr size_t MD_MANUFACTURER = 0x17;
constexpr size_t MD_EXTENDED_SIZE = 0x1C;
constexpr size_t MD_EXTENDED_SPEED = 0x54;

MemoryModule DecodeMemoryDevice(const std::vector<uint8_t>& table, size_t start, size_t length,
                                const std::vector<std::string>& strings) {
  MemoryModule module;
  uint16_t size = Word(table, start + MD_SIZE);
  if (size == 0x7FFF && length >= MD_EXTENDED_SIZE + 4) {
    module.capacityBytes = static_cast<uint64_t>(DoubleWord(table, start + MD_EXTENDED_SIZE) & 0x7FFFFFFF)
                           << 20;
  } else if (size != 0xFFFF) {
    // Bit 15 chooses the unit: kilobytes when set, megabytes when clear.
    uint64_t amount = size & 0x7FFF;
    module.capacityBytes = (size & 0x8000) != 0 ? amount << 10 : amount << 20;
  }
  if (length >= MD_SPEED + 2) {
    uint32_t speed = Word(table, start + MD_SPEED);
    if (speed == 0xFFFF && length >= MD_EXTENDED_SPEED + 4)
      speed = DoubleWord(table, start + MD_EXTENDED_SPEED);
    if (speed != 0 && speed != 0xFFFF) module.speedMts = speed;
  }
  if (length > MD_MANUFACTURER) {
    size_t index = table[start + MD_MANUFACTURER];
    if (index >= 1 && index <= strings.size()) module.manufacturer = strings[index - 1];
  }
  return module;
}

}  // namespace

std::string Trimmed(std::string_view text) {
  const char* blanks = " \t\r\n";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return std::string();
  size_t last = text.find_last_not_of(blanks);
  return std::string(text.substr(first, last - first + 1));
}

std::vector<CpuInfoEntry> ParseCpuInfo(std::string_view cpuinfo) {
  std::vector<CpuInfoEntry> entries;
  ForEachLine(cpuinfo, [&entries](std::string_view line) {
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;
    std::string key = Trimmed(line.substr(0, colon));
    std::string value = Trimmed(line.substr(colon + 1));
    if (key == "processor") {
      entries.emplace_back();
      entries.back().processor = ParseNumber<int>(value).value_or(-1);
      return;
    }
    if (entries.empty()) entries.emplace_back();  // fields before any "processor" line
    CpuInfoEntry& entry = entries.back();
    if (key == "model name")
      entry.modelName = value;
    else if (key == "vendor_id")
      entry.vendorId = value;
    else if (key == "cpu family")
      entry.family = value;
    else if (key == "model")
      entry.model = value;
    else if (key == "stepping")
      entry.stepping = value;
    else if (key == "cpu cores")
      entry.cpuCores = value;
  });
  return entries;
}

std::string ProcessorCaption(const CpuInfoEntry& entry, const std::string& machine) {
  if (entry.family.empty()) return machine;
  std::string architecture = entry.vendorId == "GenuineIntel"   ? "Intel64"
                             : entry.vendorId == "AuthenticAMD" ? "AMD64"
                                                                : machine;
  return architecture + " Family " + entry.family + " Model " + entry.model + " Stepping " + entry.stepping;
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
  auto value = ParseNumber<uint32_t>(digits);
  if (!value) return std::nullopt;
  return scale == 0 ? *value / 1024 : *value * scale;
}

std::vector<MemoryModule> DecodeSmbiosMemoryModules(const std::vector<uint8_t>& table) {
  std::vector<MemoryModule> modules;
  size_t at = 0;
  while (at + 4 <= table.size()) {
    uint8_t type = table[at];
    size_t length = table[at + 1];
    if (length < 4 || at + length > table.size()) break;
    // The strings follow the formatted area, each ended by a NUL, the set
    // ended by one more NUL (two NULs when there are no strings).
    std::vector<std::string> strings;
    size_t next = at + length;
    bool ended = false;
    if (next + 1 < table.size() && table[next] == 0 && table[next + 1] == 0) {
      next += 2;
      ended = true;
    }
    while (!ended && next < table.size()) {
      size_t stop = next;
      while (stop < table.size() && table[stop] != 0) ++stop;
      if (stop >= table.size()) break;
      strings.emplace_back(reinterpret_cast<const char*>(table.data() + next), stop - next);
      next = stop + 1;
      if (next < table.size() && table[next] == 0) {
        ++next;
        ended = true;
      }
    }
    if (!ended) break;
    if (type == SMBIOS_END_OF_TABLE) break;
    // An empty slot reports size 0; the service lists installed modules only.
    if (type == SMBIOS_MEMORY_DEVICE && length >= MD_SIZE + 2 && Word(table, at + MD_SIZE) != 0) {
      modules.push_back(DecodeMemoryDevice(table, at, length, strings));
    }
    at = next;
  }
  return modules;
}

std::optional<std::string> OsReleaseValue(std::string_view osRelease, std::string_view key) {
  std::optional<std::string> found;
  ForEachLine(osRelease, [&](std::string_view line) {
    if (found) return;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trimmed(line.substr(0, equals)) != key) return;
    std::string raw = Trimmed(line.substr(equals + 1));
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
      bool escapes = raw.front() == '"';
      std::string value;
      for (size_t i = 1; i + 1 < raw.size(); ++i) {
        if (escapes && raw[i] == '\\' && i + 2 < raw.size()) ++i;
        value.push_back(raw[i]);
      }
      raw = value;
    }
    found = raw;
  });
  return found;
}

std::optional<std::string> PciDeviceName(std::string_view pciIds, uint16_t vendor, uint16_t device) {
  std::optional<std::string> vendorName;
  std::optional<std::string> deviceName;
  bool inVendor = false;
  ForEachLine(pciIds, [&](std::string_view line) {
    if (deviceName || line.empty() || line[0] == '#') return;
    // "vvvv  Vendor name", "\tdddd  Device name", "\t\tssss ssss  Subsystem".
    if (line[0] != '\t') {
      if (vendorName) {
        inVendor = false;
        return;
      }
      inVendor = line.size() > 6 && ParseNumber<uint16_t>(line.substr(0, 4), 16) == vendor;
      if (inVendor) vendorName = Trimmed(line.substr(4));
    } else if (inVendor && line.size() > 7 && line[1] != '\t' &&
               ParseNumber<uint16_t>(line.substr(1, 4), 16) == device) {
      deviceName = Trimmed(line.substr(5));
    }
  });
  if (!vendorName) return std::nullopt;
  return deviceName ? *vendorName + " " + *deviceName : *vendorName;
}

}  // namespace qm
