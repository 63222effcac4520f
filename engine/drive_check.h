// The startup check that the current directory can be written at all.
#pragma once

#include "engine/run_view.h"

namespace qm {

// Writes 3333 random bytes one by one to "tmp.tmp", pauses 333 ms and
// deletes it. When "tmp.tmp" cannot be created it shows "Drive Error" and
// returns false; the caller then ends the program.
bool CheckDriveWritable(const RunView& view);

}  // namespace qm
