#include "results/import_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "export/report_check.h"
#include "results/submission.h"

namespace qm {
namespace {

// Below this many files a bar would only flicker.
constexpr size_t PROGRESS_FROM_FILES = 20;
constexpr int BAR_WIDTH = 40;
// Files checked and stored together, in one transaction: a server that
// syncs every commit to disk then syncs once per batch.
constexpr size_t BATCH_FILES = 1000;

void DrawBar(std::FILE* progress, size_t done, size_t total) {
  const int filled = static_cast<int>(done * BAR_WIDTH / total);
  std::fprintf(progress, "\r[%.*s%*s] %zu/%zu", filled, "########################################",
               BAR_WIDTH - filled, "", done, total);
  std::fflush(progress);
}

void ClearBar(std::FILE* progress) {
  std::fputs("\r\033[K", progress);
  std::fflush(progress);
}

std::string OutcomeLine(const SubmissionOutcome& outcome, const std::string& file, ImportCounts* counts) {
  switch (outcome.kind) {
    case SubmissionKind::Added: ++counts->added; return "added " + std::to_string(outcome.id) + " " + file;
    case SubmissionKind::Duplicate:
      ++counts->duplicates;
      return "duplicate " + std::to_string(outcome.id) + " " + file;
    case SubmissionKind::Rejected: ++counts->rejected; return "rejected " + file + ": " + outcome.reason;
    case SubmissionKind::Failed: break;
  }
  ++counts->rejected;
  return "rejected " + file + ": not stored: " + outcome.reason;
}

}  // namespace

bool ReadValidationFile(const std::string& path, std::string* bytes, std::string* reason) {
  bytes->clear();
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) {
    *reason = std::string("cannot read it: ") + std::strerror(errno);
    return false;
  }
  struct stat facts {};
  bool ok = fstat(file, &facts) == 0;
  if (!ok) *reason = std::string("cannot read it: ") + std::strerror(errno);
  if (ok && !S_ISREG(facts.st_mode)) {
    *reason = "cannot read it: not a regular file";
    ok = false;
  }
  if (ok && static_cast<uint64_t>(facts.st_size) > MAX_VALIDATION_FILE_BYTES) {
    *reason = "too large: a validation file of a Quillmark report has at most " +
              std::to_string(MAX_VALIDATION_FILE_BYTES) + " bytes";
    ok = false;
  }
  char buffer[65536];
  while (ok && bytes->size() <= MAX_VALIDATION_FILE_BYTES) {
    const ssize_t got = read(file, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *reason = std::string("cannot read it: ") + std::strerror(errno);
      ok = false;
    }
    if (got <= 0) break;
    bytes->append(buffer, static_cast<size_t>(got));
  }
  close(file);
  return ok;
}

ImportCounts ImportFiles(ResultStore* store, const std::vector<std::string>& files, std::FILE* out,
                         std::FILE* progress) {
  ImportCounts counts;
  const bool bar = progress != nullptr && files.size() >= PROGRESS_FROM_FILES;
  for (size_t first = 0; first < files.size(); first += BATCH_FILES) {
    const size_t end = std::min(files.size(), first + BATCH_FILES);
    std::vector<std::string> lines(end - first), readable;
    std::vector<size_t> readableAt;
    for (size_t i = first; i < end; ++i) {
      std::string bytes, reason;
      if (ReadValidationFile(files[i], &bytes, &reason)) {
        readable.push_back(std::move(bytes));
        readableAt.push_back(i - first);
      } else {
        lines[i - first] = "rejected " + files[i] + ": " + reason;
        ++counts.rejected;
      }
    }
    std::vector<SubmissionOutcome> outcomes = SubmitValidationFiles(store, readable);
    for (size_t j = 0; j < outcomes.size(); ++j)
      lines[readableAt[j]] = OutcomeLine(outcomes[j], files[first + readableAt[j]], &counts);
    if (bar) ClearBar(progress);
    for (const std::string& line : lines) std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
    if (bar) DrawBar(progress, end, files.size());
  }
  if (bar) ClearBar(progress);
  return counts;
}

}  // namespace qm
