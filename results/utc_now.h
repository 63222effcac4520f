// The time on the board's clock, as the board writes it everywhere (a
// result's submission time, the access log): "2026-12-10T08:01:02Z".
#pragma once

#include <string>

namespace qm {

std::string UtcNow();

}  // namespace qm
