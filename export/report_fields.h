// What a checked report tells of its run: the fields the report check reads
// from a report's records. The board keeps them with each result.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

struct ReportFields {
  std::string edition;    // "Windows" or "Linux", told by the form of the drive under test
  std::string processor;  // every text below is UTF-8, as the sender wrote it: escape on output
  std::string board;
  std::string graphics;
  std::string totalMemory;
  std::string osName;
  std::string osBuild;
  std::string driveUnderTest;  // "C:\" or a mount point
  std::string driveCapacity;   // the drive list's capacity text, "251.972" or "---"
  std::string driveModel;      // the drive list's model text, may be empty
  int64_t averageMs = 0;       // > 0
  std::string speedText;       // the report's "MB/s: " text, "1.329"
};

}  // namespace qm
