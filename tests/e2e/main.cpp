// qm_e2e_driver SCENARIO EXE FOLDER
// Starts EXE (a Windows path) in FOLDER and plays SCENARIO against it
// ("resources" reads the exe's resources instead of starting it). Its
// exit status is the number of failed checks (capped), 0 when all passed.
#include <cstdio>

#include "tests/e2e/driver.h"
#include "tests/e2e/resources_check.h"
#include "tests/e2e/scenarios.h"

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && e2e::Narrow(argv[1]) == "resources") {
    int failed = e2e::CheckResources(argv[2]);
    printf("resources: %d failed\n", failed);
    return failed > 100 ? 100 : failed;
  }
  return e2e::PlayScenario(argc, argv, "qm_e2e_driver", e2e::RunScenario);
}
