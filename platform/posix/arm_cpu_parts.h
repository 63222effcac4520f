// Names of ARM processors from the numbers of their main identification
// register, as /proc/cpuinfo gives them ("CPU implementer", "CPU part").
#pragma once

#include <cstdint>
#include <string>

namespace qm {

// The maker of an implementer number ("ARM", "Apple", "Qualcomm"...), or
// "Implementer 0x4d" for one not in the table.
std::string ArmImplementerName(uint32_t implementer);

// The core of a part number of that maker ("Cortex-A72", "Neoverse-N1",
// "M1 Firestorm"), or the part number itself ("0xd99") for one not in the
// table.
std::string ArmPartName(uint32_t implementer, uint32_t part);

}  // namespace qm
