// The end-to-end scenarios, by name: startup, unwritable, full_run, dpi144.
#pragma once

#include <string>

#include "tests/e2e/driver.h"

namespace e2e {

// Runs the scenario against a started program; returns non-zero when it
// could not go on (the failed checks are counted apart).
int RunScenario(const std::string& name, App& app);

}  // namespace e2e
