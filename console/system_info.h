// The console edition's system information: the five management queries,
// then the panel's lines on the terminal, before the run.
#pragma once

#include <cstdio>
#include <vector>

#include "platform/text.h"

namespace qm {

// Runs the five queries (a failing one prints "caption: text" to the
// standard error stream), prints the system information lines to out, one
// per line, and returns them.
std::vector<Text> PrintSystemInfo(std::FILE* out);

}  // namespace qm
