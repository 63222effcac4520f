// Reports and validation files as Quillmark writes them, made in memory
// from a few chosen facts: for the board's tests and benchmarks, which need
// many distinct, valid files and broken variants of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"

namespace qm {

struct SampleReport {
  bool windows = true;  // the drive under test "C:\" with drive letters; else "/" with mount points
  Text driveUnderTest;  // another drive under test than those ("\\s", "/tmp"); the list stays as it is
  Text processor = u"AMD Ryzen 7 5800X 8-Core Processor";
  Text boardMaker = u"ASUSTeK COMPUTER INC.";
  Text boardModel = u"PRIME X570-P";
  Text gpu = u"NVIDIA GeForce RTX 3070";
  std::vector<uint64_t> memoryModules = {17179869184, 17179869184};
  Text osName = u"Microsoft Windows 10 Pro";
  Text osBuild = u"19045";
  Text driveModel = u"Samsung SSD 970 EVO Plus 1TB";
  int64_t driveBytes = 1000202043392;
  int64_t averageMs = 1234;
};

// The report's bytes, through the program's own panel lines, drive list
// form and report writer.
std::string SampleReportBytes(const SampleReport& sample);

// The report encrypted as a validation file (export's EncryptValidation).
std::string SampleValidationFile(const SampleReport& sample);
std::string ValidationFileOf(const std::string& report);

}  // namespace qm
