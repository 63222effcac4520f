// The SHA-256 of a report's bytes, by which the board knows a report it
// has already.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// Lower-case hex, 64 digits; empty if the digest could not be made.
std::string ReportSha256(std::string_view report);

}  // namespace qm
