// Four read-only questions to the storage stack, each answered at once with
// the text or number a drive description shows. None reports an error: a
// failure gives a fixed placeholder. Every handle opened is closed before
// the question returns.
#pragma once

#include <cstdint>

#include "platform/text.h"

namespace qm {

// A volume is "X:" (letter and colon), opened as \\.\X:.

// "DeviceNumber:PartitionNumber" in signed decimal (all bits set reads -1),
// or "?:?" when the volume cannot be opened or does not answer.
Text QueryDeviceNumber(const Text& volume);

// Vendor and product identifiers of the device behind the volume: "vendor
// product", "vendor " with a vendor only, "product" with a product only;
// "" when the volume cannot be opened or does not answer.
Text QueryDeviceModel(const Text& volume);

// The raw size in bytes of the disk behind the volume (opened for reading
// and writing), or 0 when it cannot be opened or the answer leaves the
// buffer untouched.
int64_t QueryDiskSize(const Text& volume);

// The line of 52 hyphen-minus characters that PhysicalDriveLine gives when
// the partition layout can be read.
constexpr TextView LAYOUT_LINE = u"----------------------------------------------------";
static_assert(LAYOUT_LINE.size() == 52);

// LAYOUT_LINE when the partition layout of \\.\PhysicalDriveN reads as MBR,
// GPT or RAW, else "---". Asked once per drive number for the life of the
// program: the first answer, "---" included, is kept and given again.
Text PhysicalDriveLine(uint32_t physicalDrive);

// Empties the kept answers of PhysicalDriveLine (tests).
void ForgetPhysicalDriveLines();

}  // namespace qm
