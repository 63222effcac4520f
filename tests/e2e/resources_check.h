// What quillmark.exe carries: its manifest, its icon and its pictures, read
// from the file without starting it.
#pragma once

#include <string>

namespace e2e {

// Checks the resources of the exe at path; returns the failed checks.
int CheckResources(const std::wstring& exe);

}  // namespace e2e
