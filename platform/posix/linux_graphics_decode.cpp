#include "platform/posix/linux_graphics_decode.h"

#include <charconv>
#include <cstdio>

#include "platform/posix/kernel_files.h"

namespace qm {
namespace {

struct Maker {
  std::string_view prefix;
  const char* name;
};

// Vendor prefixes of the device tree bindings whose chips carry graphics.
constexpr Maker MAKERS[] = {
    {"allwinner", "Allwinner"},  {"amlogic", "Amlogic"},
    {"apple", "Apple"},          {"arm", "Arm"},
    {"brcm", "Broadcom"},        {"fsl", "NXP"},
    {"img", "Imagination"},      {"mediatek", "MediaTek"},
    {"nvidia", "NVIDIA"},        {"nxp", "NXP"},
    {"qcom", "Qualcomm"},        {"rockchip", "Rockchip"},
    {"samsung", "Samsung"},      {"starfive", "StarFive"},
    {"ti", "Texas Instruments"}, {"vivante", "Vivante"},
};

std::optional<uint16_t> Hex16(std::string_view text) {
  uint16_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

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
      inVendor = line.size() > 6 && Hex16(line.substr(0, 4)) == vendor;
      if (inVendor) vendorName = Trimmed(line.substr(4));
    } else if (inVendor && line.size() > 7 && line[1] != '\t' && Hex16(line.substr(1, 4)) == device) {
      deviceName = Trimmed(line.substr(5));
    }
  });
  if (!vendorName) return std::nullopt;
  return deviceName ? *vendorName + " " + *deviceName : *vendorName;
}

std::string DeviceTreeDeviceName(std::string_view compatible, const std::string& driver) {
  std::string name;
  if (!compatible.empty()) {
    size_t comma = compatible.find(',');
    name = std::string(compatible);
    if (comma != std::string_view::npos) {
      for (const Maker& maker : MAKERS)
        if (maker.prefix == compatible.substr(0, comma))
          name = std::string(maker.name) + " " + std::string(compatible.substr(comma + 1));
    }
  }
  if (driver.empty()) return name;
  return name.empty() ? driver : name + " (" + driver + ")";
}

std::string FirstPropertyString(std::string_view property) {
  return Trimmed(property.substr(0, property.find('\0')));
}

std::string UeventValue(std::string_view uevent, std::string_view key) {
  std::string value;
  ForEachLine(uevent, [&](std::string_view line) {
    if (value.empty() && line.size() > key.size() && line.substr(0, key.size()) == key &&
        line[key.size()] == '=')
      value = Trimmed(line.substr(key.size() + 1));
  });
  return value;
}

std::string VirtioDeviceName(uint32_t deviceId, const std::string& driver) {
  // The device ids of the virtio standard for what can drive a display.
  std::string name;
  if (deviceId == 16) {
    name = "Virtio GPU";
  } else {
    char text[32];
    std::snprintf(text, sizeof text, "Virtio device %u", deviceId);
    name = text;
  }
  return driver.empty() ? name : name + " (" + driver + ")";
}

}  // namespace qm
