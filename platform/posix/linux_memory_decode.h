// The installed memory modules, decoded from either of the two places a
// Linux machine keeps them: the firmware's SMBIOS table (readable by root
// only) and the udev database entry of the DMI device, which systemd fills
// from that table at boot and which every user may read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// An installed memory module. Unknown figures are absent, as the
// management service leaves them without value.
struct MemoryModule {
  std::optional<uint32_t> speedMts;
  std::optional<uint64_t> capacityBytes;
  std::optional<std::string> manufacturer;
};

// The installed modules of a raw SMBIOS structure table
// (/sys/firmware/dmi/tables/DMI): its memory devices (type 17) in table
// order, empty slots left out. A truncated structure ends the walk.
std::vector<MemoryModule> DecodeSmbiosMemoryModules(const std::vector<uint8_t>& table);

// The installed modules of a udev database entry (/run/udev/data/+dmi:id):
// its "E:MEMORY_DEVICE_<n>_..." properties (SIZE in bytes, SPEED_MTS,
// MANUFACTURER, PRESENT), by ascending n; slots with PRESENT=0 or without a
// size are left out.
std::vector<MemoryModule> DecodeUdevMemoryModules(std::string_view udevEntry);

}  // namespace qm
