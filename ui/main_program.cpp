#include "ui/main_program.h"

namespace qm {

MainProgram& Program() {
  static MainProgram program;
  return program;
}

}  // namespace qm
