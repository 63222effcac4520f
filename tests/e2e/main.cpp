// qm_e2e_driver SCENARIO EXE FOLDER
// Starts EXE (a Windows path) in FOLDER and plays SCENARIO against it
// ("resources" reads the exe's resources instead of starting it). Its
// exit status is the number of failed checks (capped), 0 when all passed.
#include <cstdio>

#include "tests/e2e/driver.h"
#include "tests/e2e/resources_check.h"
#include "tests/e2e/scenarios.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: qm_e2e_driver SCENARIO EXE FOLDER\n");
    return 2;
  }
  e2e::App app;
  std::string scenario = e2e::Narrow(argv[1]);
  if (scenario == "resources") {
    int failed = e2e::CheckResources(argv[2]);
    printf("resources: %d failed\n", failed);
    return failed > 100 ? 100 : failed;
  }
  if (!e2e::Launch(app, argv[2], argv[3])) return 2;
  int stopped = e2e::RunScenario(scenario, app);
  if (e2e::Running(app)) {
    e2e::Note("ending the program left running");
    TerminateProcess(app.process, 1);
  }
  int failed = e2e::Failures() + stopped;
  printf("%s: %d failed\n", scenario.c_str(), e2e::Failures());
  return failed > 100 ? 100 : failed;
}
