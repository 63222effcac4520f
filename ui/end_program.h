// The end of the program, the same on every path: the windows, fonts,
// pictures and loaded libraries are released and the process ends with
// exit code 0.
#pragma once

namespace qm {

[[noreturn]] void EndProgram();

}  // namespace qm
