#include "layout/reference_drives.h"

namespace qm {

const std::array<ReferenceDrive, REFERENCE_DRIVE_COUNT>& ReferenceDrives() {
  static const std::array<ReferenceDrive, REFERENCE_DRIVE_COUNT> drives{{
      {u"Crucial P2 2280 SSD - 500 GB", 78},
      {u"WD Black SN850 - 500 GB", 137},
      {u"WD Black SN850 - INTEL RAID 0 - 1 TB", 123},
      {u"Samsung SSD 850 Pro - 256 GB", 26},
      {u"Samsung SSD 860 Pro - 512 GB", 52},
      {u"Samsung SSD 860 Pro - 256 GB", 83},
      {u"WDC PC SN730 - 512 GB", 103},
  }};
  return drives;
}

}  // namespace qm
