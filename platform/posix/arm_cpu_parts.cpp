#include "platform/posix/arm_cpu_parts.h"

#include <cstdio>

namespace qm {
namespace {

struct Implementer {
  uint32_t number;
  const char* name;
};

struct Part {
  uint32_t implementer;
  uint32_t part;
  const char* name;
};

constexpr uint32_t ARM = 0x41, BROADCOM = 0x42, CAVIUM = 0x43, FUJITSU = 0x46, HISILICON = 0x48,
                   NVIDIA = 0x4e, APM = 0x50, QUALCOMM = 0x51, SAMSUNG = 0x53, APPLE = 0x61, MICROSOFT = 0x6d,
                   PHYTIUM = 0x70, AMPERE = 0xc0;

constexpr Implementer IMPLEMENTERS[] = {
    {ARM, "ARM"},           {BROADCOM, "Broadcom"},   {CAVIUM, "Cavium"},
    {FUJITSU, "Fujitsu"},   {HISILICON, "HiSilicon"}, {NVIDIA, "NVIDIA"},
    {APM, "Applied Micro"}, {QUALCOMM, "Qualcomm"},   {SAMSUNG, "Samsung"},
    {APPLE, "Apple"},       {MICROSOFT, "Microsoft"}, {PHYTIUM, "Phytium"},
    {AMPERE, "Ampere"},
};

constexpr Part PARTS[] = {
    // Arm's own cores, 32-bit ones first.
    {ARM, 0xb76, "ARM1176"},
    {ARM, 0xc05, "Cortex-A5"},
    {ARM, 0xc07, "Cortex-A7"},
    {ARM, 0xc08, "Cortex-A8"},
    {ARM, 0xc09, "Cortex-A9"},
    {ARM, 0xc0d, "Cortex-A12"},
    {ARM, 0xc0e, "Cortex-A17"},
    {ARM, 0xc0f, "Cortex-A15"},
    {ARM, 0xd01, "Cortex-A32"},
    {ARM, 0xd02, "Cortex-A34"},
    {ARM, 0xd03, "Cortex-A53"},
    {ARM, 0xd04, "Cortex-A35"},
    {ARM, 0xd05, "Cortex-A55"},
    {ARM, 0xd06, "Cortex-A65"},
    {ARM, 0xd07, "Cortex-A57"},
    {ARM, 0xd08, "Cortex-A72"},
    {ARM, 0xd09, "Cortex-A73"},
    {ARM, 0xd0a, "Cortex-A75"},
    {ARM, 0xd0b, "Cortex-A76"},
    {ARM, 0xd0c, "Neoverse-N1"},
    {ARM, 0xd0d, "Cortex-A77"},
    {ARM, 0xd0e, "Cortex-A76AE"},
    {ARM, 0xd40, "Neoverse-V1"},
    {ARM, 0xd41, "Cortex-A78"},
    {ARM, 0xd42, "Cortex-A78AE"},
    {ARM, 0xd43, "Cortex-A65AE"},
    {ARM, 0xd44, "Cortex-X1"},
    {ARM, 0xd46, "Cortex-A510"},
    {ARM, 0xd47, "Cortex-A710"},
    {ARM, 0xd48, "Cortex-X2"},
    {ARM, 0xd49, "Neoverse-N2"},
    {ARM, 0xd4a, "Neoverse-E1"},
    {ARM, 0xd4b, "Cortex-A78C"},
    {ARM, 0xd4c, "Cortex-X1C"},
    {ARM, 0xd4d, "Cortex-A715"},
    {ARM, 0xd4e, "Cortex-X3"},
    {ARM, 0xd4f, "Neoverse-V2"},
    {ARM, 0xd80, "Cortex-A520"},
    {ARM, 0xd81, "Cortex-A720"},
    {ARM, 0xd82, "Cortex-X4"},
    {ARM, 0xd84, "Neoverse-V3"},
    {ARM, 0xd85, "Cortex-X925"},
    {ARM, 0xd87, "Cortex-A725"},
    {ARM, 0xd8e, "Neoverse-N3"},
    {BROADCOM, 0x100, "Brahma-B53"},
    {BROADCOM, 0x516, "Vulcan"},
    {CAVIUM, 0x0a1, "ThunderX"},
    {CAVIUM, 0x0a2, "ThunderX 81xx"},
    {CAVIUM, 0x0a3, "ThunderX 83xx"},
    {CAVIUM, 0x0af, "ThunderX2"},
    {CAVIUM, 0x0b8, "ThunderX3"},
    {FUJITSU, 0x001, "A64FX"},
    {HISILICON, 0xd01, "TaiShan v110"},
    {HISILICON, 0xd02, "TaiShan v120"},
    {NVIDIA, 0x000, "Denver"},
    {NVIDIA, 0x003, "Denver 2"},
    {NVIDIA, 0x004, "Carmel"},
    {APM, 0x000, "X-Gene"},
    {QUALCOMM, 0x001, "Oryon"},
    {QUALCOMM, 0x200, "Kryo"},
    {QUALCOMM, 0x201, "Kryo"},
    {QUALCOMM, 0x205, "Kryo"},
    {QUALCOMM, 0x211, "Kryo"},
    {QUALCOMM, 0x800, "Kryo 2xx Gold"},
    {QUALCOMM, 0x801, "Kryo 2xx Silver"},
    {QUALCOMM, 0x802, "Kryo 3xx Gold"},
    {QUALCOMM, 0x803, "Kryo 3xx Silver"},
    {QUALCOMM, 0x804, "Kryo 4xx Gold"},
    {QUALCOMM, 0x805, "Kryo 4xx Silver"},
    {QUALCOMM, 0xc00, "Falkor"},
    {QUALCOMM, 0xc01, "Saphira"},
    {SAMSUNG, 0x001, "Exynos M1"},
    {SAMSUNG, 0x002, "Exynos M3"},
    {APPLE, 0x022, "M1 Icestorm"},
    {APPLE, 0x023, "M1 Firestorm"},
    {APPLE, 0x024, "M1 Pro Icestorm"},
    {APPLE, 0x025, "M1 Pro Firestorm"},
    {APPLE, 0x028, "M1 Max Icestorm"},
    {APPLE, 0x029, "M1 Max Firestorm"},
    {APPLE, 0x032, "M2 Blizzard"},
    {APPLE, 0x033, "M2 Avalanche"},
    {APPLE, 0x034, "M2 Pro Blizzard"},
    {APPLE, 0x035, "M2 Pro Avalanche"},
    {APPLE, 0x038, "M2 Max Blizzard"},
    {APPLE, 0x039, "M2 Max Avalanche"},
    {MICROSOFT, 0xd49, "Azure Cobalt 100"},
    {PHYTIUM, 0x660, "FTC660"},
    {PHYTIUM, 0x661, "FTC661"},
    {PHYTIUM, 0x662, "FTC662"},
    {PHYTIUM, 0x663, "FTC663"},
    {AMPERE, 0xac3, "Ampere-1"},
    {AMPERE, 0xac4, "Ampere-1a"},
};

std::string Hex(uint32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", number);
  return text;
}

}  // namespace

std::string ArmImplementerName(uint32_t implementer) {
  for (const Implementer& known : IMPLEMENTERS)
    if (known.number == implementer) return known.name;
  return "Implementer " + Hex(implementer);
}

std::string ArmPartName(uint32_t implementer, uint32_t part) {
  for (const Part& known : PARTS)
    if (known.implementer == implementer && known.part == part) return known.name;
  return Hex(part);
}

}  // namespace qm
