// Reading the small text files of the kernel and the firmware (/proc, /sys,
// /run/udev): whole files, one-line attributes, folder listings and links,
// with one mapping of the system's error numbers to what the reader does
// with them.
#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// What became of an attempt to read a source: read; absent (no such file
// or folder: this machine does not have it); denied (only root may read
// it); failed (any other error).
enum class SourceState { Read, Absent, Denied, Failed };

SourceState SourceStateOfError(int errorNumber);

// The whole file into bytes (cleared first).
SourceState ReadWholeFile(const std::string& path, std::string& bytes);

// A one-line attribute without its surrounding blanks and line end;
// nullopt when it cannot be read.
std::optional<std::string> Attribute(const std::string& path);

// The names in a folder, "." and ".." left out, sorted.
SourceState ListFolder(const std::string& path, std::vector<std::string>& names);

// The last part of a symbolic link's target ("../../bus/pci/drivers/i915"
// gives "i915"); empty when path is no link.
std::string LinkName(const std::string& path);

// The path with every symbolic link resolved; nullopt when it does not exist.
std::optional<std::string> CanonicalPath(const std::string& path);

// Leading and trailing blanks (spaces, tabs) and line ends removed.
std::string Trimmed(std::string_view text);

// A whole decimal number and nothing else; nullopt otherwise.
template <typename Number>
std::optional<Number> ParseDecimal(std::string_view text) {
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// Calls visit with each line of text, its line end (LF or CR LF) removed.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    visit(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

}  // namespace qm
