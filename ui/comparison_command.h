// Menu command "Comparision Window" of the main program.
#pragma once

#include "ui/main_program.h"

namespace qm {

// Opens the comparison window over the main program's state and returns
// when the user has closed it.
void OpenComparisonWindow(MainProgram& program);

}  // namespace qm
