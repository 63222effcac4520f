#include "results/import_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "results/report_check.h"
#include "results/submission.h"

namespace qm {
namespace {

// Below this many files a bar would only flicker.
constexpr size_t PROGRESS_FROM_FILES = 20;
constexpr int BAR_WIDTH = 40;

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
  size_t drawn = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string& file = files[i];
    std::string bytes, reason, line;
    if (!ReadValidationFile(file, &bytes, &reason)) {
      line = "rejected " + file + ": " + reason;
      ++counts.rejected;
    } else {
      SubmissionOutcome outcome = SubmitValidationFile(store, bytes);
      switch (outcome.kind) {
        case SubmissionKind::Added:
          line = "added " + std::to_string(outcome.id) + " " + file;
          ++counts.added;
          break;
        case SubmissionKind::Duplicate:
          line = "duplicate " + std::to_string(outcome.id) + " " + file;
          ++counts.duplicates;
          break;
        case SubmissionKind::Rejected:
          line = "rejected " + file + ": " + outcome.reason;
          ++counts.rejected;
          break;
        case SubmissionKind::Failed:
          line = "rejected " + file + ": not stored: " + outcome.reason;
          ++counts.rejected;
          break;
      }
    }
    if (bar && drawn > 0) ClearBar(progress);
    std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
    if (bar) {
      DrawBar(progress, i + 1, files.size());
      drawn = i + 1;
    }
  }
  if (bar) ClearBar(progress);
  return counts;
}

}  // namespace qm
