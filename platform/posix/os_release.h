// The operating system's name from os-release (/etc/os-release).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The value of key in an os-release file, quotes and escapes removed;
// nullopt when the key is missing.
std::optional<std::string> OsReleaseValue(std::string_view osRelease, std::string_view key);

}  // namespace qm
