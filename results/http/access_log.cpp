#include "results/http/access_log.h"

#include <cstdio>
#include <ctime>
#include <mutex>

#include "results/clean_text.h"
#include "results/pages/html_text.h"
#include "results/utc_now.h"

namespace qm {

namespace {

constexpr size_t LOGGED_PATH_BYTES = 300;
constexpr size_t LOGGED_METHOD_BYTES = 16;

std::string OneWord(const std::string& text, size_t maxBytes) {
  std::string word = CleanText(text);
  for (char& c : word)
    if (c == '\n' || c == '\t' || c == '\r' || c == ' ') c = '_';
  if (word.size() > maxBytes) word = word.substr(0, maxBytes) + "...";
  return word.empty() ? std::string("-") : word;
}

}  // namespace

std::string AccessLogLine(const AccessEntry& entry) {
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.1f", entry.ms);
  return UtcNow() + " " + OneWord(entry.address, 64) + " " + OneWord(entry.method, LOGGED_METHOD_BYTES) +
         " " + OneWord(entry.path, LOGGED_PATH_BYTES) + " " + std::to_string(entry.status) + " " +
         std::to_string(entry.bytes) + " " + ms + "ms\n";
}

void WriteAccessLog(const AccessEntry& entry) {
  static std::mutex logMutex;
  const std::string line = AccessLogLine(entry);
  std::lock_guard<std::mutex> lock(logMutex);
  std::fputs(line.c_str(), stderr);
}

}  // namespace qm
