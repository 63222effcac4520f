// The seven reference drives the program sets a result beside, with their
// speeds as bar values (hundredths of MB/s, the scale of the speed bar).
// Shared by the comparison window and the results board.
#pragma once

#include <array>

namespace qm {

constexpr int REFERENCE_DRIVE_COUNT = 7;

struct ReferenceDrive {
  const char16_t* label;
  int barValue;  // hundredths of MB/s: 78 stands for 0.78 MB/s
};

// In the order of the comparison window's rows 1..7.
const std::array<ReferenceDrive, REFERENCE_DRIVE_COUNT>& ReferenceDrives();

// The speed a bar value stands for, in MB/s.
inline double ReferenceSpeed(const ReferenceDrive& drive) { return drive.barValue / 100.0; }

}  // namespace qm
