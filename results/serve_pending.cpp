// TEMPORARY: stands in for the board's server until the HTTP half is merged
// into this branch; the merge deletes this file (results/CMakeLists.txt
// links it only while no HTTP target exists).
#include <cstdio>

#include "results/serve.h"

namespace qm {

int RunServe(const ServeOptions&) {
  std::fputs("quillmark-results: serve is not built yet\n", stderr);
  return 1;
}

}  // namespace qm
