// Validation files for the board's tests, made as the program makes them:
// a report from the export code's ReportBytes, encrypted with the
// program's key (or another one, for a forgery that does not decrypt).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qm {

// What a test may set in a report of the Windows program.
struct ReportFields {
  std::string processor = "AMD Ryzen 7 5800X 8-Core Processor";
  std::string boardMaker = "ASUSTeK COMPUTER INC.";
  std::string boardModel = "ROG STRIX B550-F GAMING";
  std::string gpu = "NVIDIA GeForce RTX 3070";
  std::string memoryMaker = "Kingston";
  std::string osName = "Microsoft Windows 10 Pro";
  std::string osBuild = "19045";
  std::string driveModel = "Samsung SSD 860 PRO 512GB";
  std::string capacity = "465.762";
  int64_t averageMs = 1500;
};

// The report's bytes, with the program's own speed text for averageMs.
std::string WindowsReport(const ReportFields& fields);

// The validation file of report bytes under the program's key, or another.
std::string EncryptReport(const std::string& report);
std::string EncryptReportWithKey(const std::string& report, const std::array<uint8_t, 32>& key);

}  // namespace qm
