// The comparison window after a completed run, checked from inside the
// full-run scenario so that one run serves both.
#pragma once

#include "tests/e2e/driver.h"

namespace e2e {

// With the main window idle after the run: opens the comparison window and
// checks the own bar against the main window's speed bar, the own result
// picture against "this_sys.bmp", the RAID 0 reference, and that deleting
// the file by hand shows no picture and no message; then closes it and
// checks the main window is back as it was. "this_sys.bmp" is put back.
void CheckComparisonAfterRun(const App& app);

}  // namespace e2e
