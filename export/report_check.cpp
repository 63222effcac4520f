#include "export/report_check.h"

#include <cstdint>
#include <vector>

#include "drives/capacity.h"
#include "engine/program_identity.h"
#include "engine/shortest_cycle.h"
#include "engine/speed.h"
#include "platform/text.h"

namespace qm {
namespace {

constexpr std::string_view CRLF = "\r\n";
constexpr std::string_view DRIVE_TEST = "\rDrive test: ";
constexpr std::string_view AVERAGE = "Average of results: ";
constexpr std::string_view BYTES_BEFORE = "Byets written in ";
constexpr std::string_view BYTES_AFTER = " milliseconds: 2097152";
constexpr std::string_view SPEED = "MB/s: ";
constexpr std::string_view KBYTES = " KBytes";
constexpr std::string_view SERIAL_MASK = "****";
// More memory modules than any board holds; bounds the work a forged count asks for.
constexpr uint64_t MAX_MEMORY_MODULES = 4096;

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A count as DecimalText writes it: digits, no sign, no leading zero.
bool ParseCount(std::string_view text, uint64_t limit, uint64_t* value) {
  if (text.size() > 1 && text[0] == '0') return false;
  return ParseWholeNumber(text, limit, value);
}

// The records of the report's head, one after another, each up to its CR LF.
struct RecordReader {
  std::string_view text;
  size_t at = 0;

  bool next(std::string_view* record) {
    size_t end = text.find(CRLF, at);
    if (end == std::string_view::npos) return false;
    *record = text.substr(at, end - at);
    at = end + CRLF.size();
    return true;
  }

  // The next record, which must begin with label (and end with suffix); its
  // value lies between them.
  bool labelled(std::string_view label, std::string_view suffix, std::string_view* value) {
    std::string_view record;
    if (!next(&record) || !StartsWith(record, label)) return false;
    record.remove_prefix(label.size());
    if (!EndsWith(record, suffix)) return false;
    record.remove_suffix(suffix.size());
    *value = record;
    return true;
  }

  bool labelled(std::string_view label, std::string_view* value) { return labelled(label, "", value); }
};

std::string Numbered(std::string_view label, uint64_t n) {
  return std::string(label) + std::to_string(n) + " ";
}

// The sum of the module capacities in bytes, shown as the drive list shows
// capacities; empty unless every module gives its capacity.
std::string TotalMemory(const std::vector<std::string_view>& capacities) {
  uint64_t total = 0;
  for (std::string_view capacity : capacities) {
    uint64_t bytes = 0;
    if (!ParseCount(capacity, uint64_t{1} << 60, &bytes)) return std::string();
    total += bytes;
  }
  if (capacities.empty()) return std::string();
  return Utf8(FormatCapacity(static_cast<int64_t>(total))) + " GiB";
}

std::string JoinedBoard(std::string_view maker, std::string_view model) {
  if (maker.empty()) return std::string(model);
  if (model.empty()) return std::string(maker);
  return std::string(maker) + " " + std::string(model);
}

// The lines of the system information panel in the order the program adds
// them, then the empty record of the line index past the last one.
bool ReadSystemLines(RecordReader& reader, ReportFields* fields) {
  std::string_view processor, type, cores, threads, l2, l3, maker, model, version, serial, gpu, gpuRam,
      gpuDriver, banks, osName, osBuild;
  if (!reader.labelled("CPU Name: ", &processor) || !reader.labelled("CPU Type: ", &type) ||
      !reader.labelled("CPU Cores: ", &cores) || !reader.labelled("CPU Threads: ", &threads) ||
      !reader.labelled("CPU L2 Cache: ", KBYTES, &l2) || !reader.labelled("CPU L3 Cache: ", KBYTES, &l3) ||
      !reader.labelled("Motherboard Manufacturer: ", &maker) ||
      !reader.labelled("Motherboard Model: ", &model) ||
      !reader.labelled("Motherboard Version: ", &version) ||
      !reader.labelled("Motherboard Serial Number: ", SERIAL_MASK, &serial) ||
      !reader.labelled("Gpu Name: ", &gpu) || !reader.labelled("GPU RAM: ", &gpuRam) ||
      !reader.labelled("GPU Driver: ", &gpuDriver) || !reader.labelled("Memory Bank Numbers: ", &banks))
    return false;
  uint64_t modules = 0;
  if (!ParseCount(banks, MAX_MEMORY_MODULES, &modules)) return false;

  // The makers come by their own count: as many as the records that name one.
  std::string_view value;
  for (uint64_t n = 1;; ++n) {
    RecordReader ahead = reader;
    if (!ahead.labelled(Numbered("Memory Bank Manufacturer N.", n), &value)) break;
    reader = ahead;
  }
  std::vector<std::string_view> capacities;
  for (uint64_t n = 1; n <= modules; ++n) {
    if (!reader.labelled(Numbered("Memory Bank Bytes N.", n), &value)) return false;
    capacities.push_back(value);
  }
  for (uint64_t n = 1; n <= modules; ++n)
    if (!reader.labelled(Numbered("Memory MHz Speed Bank ", n), &value)) return false;
  std::string_view past;
  if (!reader.labelled("Operating System Name: ", &osName) ||
      !reader.labelled("Operating System Build: ", &osBuild) || !reader.next(&past) || !past.empty())
    return false;

  fields->processor = std::string(processor);
  fields->board = JoinedBoard(maker, model);
  fields->graphics = std::string(gpu);
  fields->totalMemory = TotalMemory(capacities);
  fields->osName = std::string(osName);
  fields->osBuild = std::string(osBuild);
  return true;
}

bool IsDriveLetterRoot(std::string_view drive) {
  return drive.size() == 3 &&
         ((drive[0] >= 'A' && drive[0] <= 'Z') || (drive[0] >= 'a' && drive[0] <= 'z')) && drive[1] == ':' &&
         drive[2] == '\\';
}

// What DriveUnderTestRoot gives for a UNC folder: two backslashes and the
// server name's first character (U+FFFD for half of a surrogate pair).
bool IsUncFolder(std::string_view drive) {
  if (drive.size() < 3 || drive.substr(0, 2) != "\\\\") return false;
  size_t length = 0;
  return DecodeUtf8(drive, 2, &length) != INVALID_UTF8 && drive.size() == 2 + length;
}

bool IsAbsolutePath(std::string_view drive) { return !drive.empty() && drive[0] == '/'; }

// The drive under test as the record gives it; Windows for a drive letter's
// root or a UNC folder, Linux for an absolute path.
bool ReadDriveTest(RecordReader& reader, ReportFields* fields) {
  std::string_view drive;
  if (!reader.labelled(DRIVE_TEST, "\r", &drive)) return false;
  if (IsDriveLetterRoot(drive) || IsUncFolder(drive))
    fields->edition = "Windows";
  else if (IsAbsolutePath(drive))
    fields->edition = "Linux";
  else
    return false;
  fields->driveUnderTest = std::string(drive);
  return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string_view::npos; start = at + 1)
    parts.push_back(text.substr(start, at - start));
  parts.push_back(text.substr(start));
  return parts;
}

bool SameLetter(char a, char b) { return (a | 0x20) == (b | 0x20); }

// The list's entry for the drive under test: its first line is the letter
// and colon ("C:" for "C:\\") or the mount point itself. A description ends
// in the capacity (or the volume's stand-in for it), the model and the
// layout line; one of a drive of unknown type has no such lines. A drive
// the list leaves out keeps both fields empty.
void FindDriveEntry(std::string_view list, ReportFields* fields) {
  const std::string_view drive = fields->driveUnderTest;
  const bool letter = IsDriveLetterRoot(drive);
  fields->driveCapacity.clear();
  fields->driveModel.clear();
  for (std::string_view description : Split(list, '\r')) {
    std::vector<std::string_view> lines = Split(description, '\n');
    const std::string_view name = lines[0];
    const bool named =
        letter ? name.size() == 2 && name[1] == ':' && SameLetter(name[0], drive[0]) : name == drive;
    if (!named) continue;
    const size_t n = lines.size();
    fields->driveCapacity = n >= 4 ? std::string(lines[n - 3]) : std::string("---");
    fields->driveModel = n >= 4 ? std::string(lines[n - 2]) : std::string();
    return;
  }
}

// The first field beyond its bound, named as messages name it; nullptr
// when every field is within.
const char* OversizedField(const ReportFields& fields, size_t* bound) {
  const struct {
    const char* name;
    const std::string& value;
    size_t bound;
  } limits[] = {
      {"processor name", fields.processor, MAX_NAME_FIELD_BYTES},
      {"motherboard", fields.board, MAX_BOARD_BYTES},
      {"graphics name", fields.graphics, MAX_NAME_FIELD_BYTES},
      {"operating system name", fields.osName, MAX_NAME_FIELD_BYTES},
      {"operating system build", fields.osBuild, MAX_NAME_FIELD_BYTES},
      {"drive under test", fields.driveUnderTest, MAX_DRIVE_UNDER_TEST_BYTES},
      {"drive capacity", fields.driveCapacity, MAX_CAPACITY_BYTES},
      {"drive model", fields.driveModel, MAX_DRIVE_MODEL_BYTES},
  };
  for (const auto& limit : limits) {
    if (limit.value.size() <= limit.bound) continue;
    *bound = limit.bound;
    return limit.name;
  }
  return nullptr;
}

// The three closing records, found from the report's end, since the drive
// list before them spans lines of its own.
struct ClosingRecords {
  size_t start = 0;  // where the average record begins
  std::string_view average, bytes, speed;
};

bool FindClosingRecords(std::string_view report, size_t after, ClosingRecords* closing) {
  if (!EndsWith(report, CRLF)) return false;
  std::string_view* records[] = {&closing->speed, &closing->bytes, &closing->average};
  size_t end = report.size() - CRLF.size();
  for (std::string_view* record : records) {
    if (end < after + CRLF.size()) return false;
    size_t previous = report.rfind(CRLF, end - 1);
    if (previous == std::string_view::npos || previous + CRLF.size() < after + CRLF.size()) return false;
    size_t start = previous + CRLF.size();
    *record = report.substr(start, end - start);
    closing->start = start;
    end = previous;
  }
  return true;
}

ReportCheck CheckClosingRecords(const ClosingRecords& closing, ReportFields* fields) {
  std::string_view average = closing.average;
  uint64_t averageMs = 0;
  if (!StartsWith(average, AVERAGE)) return ReportCheck::Average;
  average.remove_prefix(AVERAGE.size());
  if (!ParseCount(average, uint64_t{INT64_MAX}, &averageMs) || averageMs == 0) return ReportCheck::Average;

  const std::string bytes = std::string(BYTES_BEFORE) + std::string(average) + std::string(BYTES_AFTER);
  if (closing.bytes != bytes) return ReportCheck::BytesWritten;

  const std::string speed = Utf8(MbPerSecondText(MbPerSecond(static_cast<int64_t>(averageMs))));
  if (closing.speed != std::string(SPEED) + speed) return ReportCheck::Speed;

  fields->averageMs = static_cast<int64_t>(averageMs);
  fields->speedText = speed;
  return ReportCheck::Passed;
}

}  // namespace

const char* ReportCheckName(ReportCheck check) {
  switch (check) {
    case ReportCheck::Passed: return "passed";
    case ReportCheck::Size: return "report size";
    case ReportCheck::Utf8: return "UTF-8 text";
    case ReportCheck::Title: return "title record";
    case ReportCheck::SystemLines: return "system information lines";
    case ReportCheck::DriveTest: return "Drive test";
    case ReportCheck::Average: return "Average of results";
    case ReportCheck::BytesWritten: return "Byets written";
    case ReportCheck::Speed: return "MB/s";
    case ReportCheck::FieldSize: return "field size";
    case ReportCheck::ShortestCycle: return "shortest cycle";
  }
  return "unknown";
}

ReportCheck CheckReport(std::string_view report, ReportFields* fields, std::string* detail) {
  if (report.size() > MAX_REPORT_BYTES) return ReportCheck::Size;
  if (!IsUtf8Text(report)) return ReportCheck::Utf8;
  const std::string title = Utf8(PROGRAM_TITLE) + "\r\r\n";
  if (!StartsWith(report, title)) return ReportCheck::Title;

  // Filled into a copy, so that a report that fails changes nothing.
  ReportFields found = *fields;
  RecordReader reader{report, title.size()};
  if (!ReadSystemLines(reader, &found)) return ReportCheck::SystemLines;
  if (!ReadDriveTest(reader, &found)) return ReportCheck::DriveTest;

  ClosingRecords closing;
  if (!FindClosingRecords(report, reader.at, &closing)) return ReportCheck::Average;
  FindDriveEntry(report.substr(reader.at, closing.start - CRLF.size() - reader.at), &found);
  ReportCheck verdict = CheckClosingRecords(closing, &found);
  if (verdict != ReportCheck::Passed) return verdict;

  size_t bound = 0;
  if (const char* field = OversizedField(found, &bound)) {
    if (detail) *detail = std::string("the ") + field + " is longer than " + std::to_string(bound) + " bytes";
    return ReportCheck::FieldSize;
  }
  if (found.averageMs < SHORTEST_CYCLE_MS) {
    if (detail)
      *detail = "average " + std::to_string(found.averageMs) + " ms is below the " +
                std::to_string(SHORTEST_CYCLE_MS) + " ms that a cycle's own pauses take";
    return ReportCheck::ShortestCycle;
  }

  *fields = std::move(found);
  return ReportCheck::Passed;
}

ValidationVerdict CheckValidationFile(const std::string& file, std::string* report, ReportFields* fields) {
  ValidationVerdict verdict;
  report->clear();
  if (file.size() > MAX_VALIDATION_FILE_BYTES) {
    verdict.report = ReportCheck::Size;
    verdict.reason = "too large: a validation file of a Quillmark report has at most " +
                     std::to_string(MAX_VALIDATION_FILE_BYTES) + " bytes";
    return verdict;
  }
  verdict.file = DecryptValidation(file, report);
  if (verdict.file != ValidationCheck::Valid) {
    verdict.reason = std::string("not a validation file: ") + ValidationProblem(verdict.file);
    return verdict;
  }
  std::string detail;
  verdict.report = CheckReport(*report, fields, &detail);
  if (verdict.report == ReportCheck::Passed) return verdict;
  verdict.reason = detail.empty() ? std::string("not a Quillmark report: check \"") +
                                        ReportCheckName(verdict.report) + "\" failed"
                                  : "not a Quillmark report: " + detail;
  return verdict;
}

}  // namespace qm
