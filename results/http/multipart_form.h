// The one field the board takes from a multipart/form-data body: the
// upload form's "file". The body is already whole and capped, so this only
// finds the part, it never reads.
#pragma once

#include <string>

namespace qm {

enum class FormField { Found, Missing, Broken };

bool IsMultipartForm(const std::string& contentType);

// The content of the first part named name in body, framed by the boundary
// that contentType gives. Broken: no boundary, or a part that does not end.
FormField FindFormField(const std::string& contentType, const std::string& body, const std::string& name,
                        std::string* content);

}  // namespace qm
