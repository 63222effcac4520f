// The pages of the sender's own delete: the form that takes the token, and
// the word that the result is gone.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

// The form for result id (POST to /results/<id>/delete), token filled in
// when given, with problem above it when not empty.
std::string DeleteFormPage(int64_t id, const std::string& token, const std::string& problem);

std::string DeletedPage(int64_t id);

}  // namespace qm
