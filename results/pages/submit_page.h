// /submit: the upload form for a validation file, and what became of a file
// that was not taken.
#pragma once

#include <string>

namespace qm {

// The form; with a refusal (non-empty) shown above it.
std::string SubmitPage(const std::string& refusal);

}  // namespace qm
