// Is a decrypted report one that Quillmark writes? The check reads the
// report's records as the program writes them (the title, the system
// information lines, the drive under test, the drive list and the three
// closing records) and takes the board's fields from them. Pure and
// portable: quillmark-verify uses it on both systems, the board on Linux.
//
// Every byte of a report comes from whoever sent it (the key ships with the
// program), so the check never trusts a count or a length it reads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "export/report_fields.h"
#include "export/validation_check.h"

namespace qm {

// No report the program writes comes near this: about 40 system lines and
// one description per drive make a few KiB.
constexpr size_t MAX_REPORT_BYTES = size_t{256} * 1024;

// The largest validation file of such a report.
constexpr size_t MAX_VALIDATION_FILE_BYTES = (MAX_REPORT_BYTES + 4095) / 4096 * 4096 + 4;

// The checks, in the order they run; the first that fails is the verdict.
enum class ReportCheck {
  Passed,
  Size,           // larger than MAX_REPORT_BYTES
  Utf8,           // not UTF-8 text, or holds a NUL byte
  Title,          // "Quillmark V2.08 - Orvanta" CR CR LF
  SystemLines,    // the system information lines with their labels, then the empty record
  DriveTest,      // CR "Drive test: " + a drive letter root, a UNC folder's "\\x" or an absolute path + CR
  Average,        // "Average of results: N", N > 0
  BytesWritten,   // "Byets written in N milliseconds: 2097152", the same N
  Speed,          // "MB/s: X", X the program's speed text for N
  FieldSize,      // a field longer than any real machine gives (FieldBound)
  ShortestCycle,  // N below SHORTEST_CYCLE_MS: faster than the cycle's own pauses allow
};

// The longest text, in UTF-8 bytes, that a report may give for each field
// the board keeps: several times what the sources give. A processor name
// is CPUID's 48-character brand string; SMBIOS, WMI and os-release names
// run to tens of characters; an ATA or NVMe model is 40 characters (plus a
// SCSI vendor's 8); a Linux path is at most PATH_MAX (4096) bytes; a
// capacity is a number of GiB with three decimals.
constexpr size_t MAX_NAME_FIELD_BYTES = 256;  // processor, graphics, operating system and its build
constexpr size_t MAX_BOARD_BYTES = 512;       // the board's maker and model, joined
constexpr size_t MAX_DRIVE_MODEL_BYTES = 256;
constexpr size_t MAX_DRIVE_UNDER_TEST_BYTES = 4096;
constexpr size_t MAX_CAPACITY_BYTES = 32;

// The check's name as messages give it: "title record", "MB/s", ...
const char* ReportCheckName(ReportCheck check);

// Checks report and, when it passes, fills the fields it holds into
// *fields (edition, processor, board, graphics, totalMemory, osName,
// osBuild, driveUnderTest, driveCapacity, driveModel, averageMs,
// speedText); the other fields are left as they are. A drive under test
// that the drive list does not name (network, optical and RAM drives, UNC
// folders, tmpfs, bind mounts) leaves driveCapacity and driveModel empty.
// When detail is given and the check fails, it receives what failed in
// words: "the drive model is longer than 256 bytes", "average 50 ms is
// below the 83 ms that a cycle's own pauses take".
ReportCheck CheckReport(std::string_view report, ReportFields* fields, std::string* detail = nullptr);

// A validation file from start to verdict: its size, the decryption
// (export's DecryptValidation, with the program's own key) and the check
// of the report it holds.
struct ValidationVerdict {
  ValidationCheck file = ValidationCheck::Valid;
  ReportCheck report = ReportCheck::Passed;
  // Empty when the file passed; else one line that names the failed check:
  //   "not a validation file: its size is not 4096 x N + 4 bytes"
  //   "not a Quillmark report: check \"MB/s\" failed"
  //   "not a Quillmark report: average 50 ms is below the 83 ms that a cycle's own pauses take"
  std::string reason;
  bool passed() const { return file == ValidationCheck::Valid && report == ReportCheck::Passed; }
};

// *report receives the decrypted report (empty unless decryption worked).
ValidationVerdict CheckValidationFile(const std::string& file, std::string* report, ReportFields* fields);

}  // namespace qm
