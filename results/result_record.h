// One result on the board: what a checked validation file holds, as kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct ResultRecord {
  int64_t id = 0;                // given by the store
  std::string reportSha256;      // lower-case hex of the report bytes; one result per report
  std::string edition;           // "Windows" or "Linux", told by the form of the drive under test
  std::string processor;         // every text below is UTF-8, as the sender wrote it: escape on output
  std::string board;
  std::string graphics;
  std::string totalMemory;
  std::string osName;
  std::string osBuild;
  std::string driveUnderTest;    // "C:\" or a mount point
  std::string driveCapacity;     // the drive list's capacity text, "251.972" or "---"
  std::string driveModel;        // the drive list's model text, may be empty
  int64_t averageMs = 0;         // > 0
  std::string speedText;         // the report's "MB/s: " text, "1.329"
  std::string submittedUtc;      // "2026-12-10T08:01:02Z", given by the store
  std::string report;            // the decrypted report bytes
  std::string validationFile;    // the .verify bytes as received
};

// A listing: results ranked fastest first (smallest averageMs, then lowest id).
struct ResultQuery {
  std::string text;         // matched, case-insensitively, as a substring of drive model or processor; empty: all
  std::string driveModel;   // exact drive model; empty: any
  int64_t offset = 0;
  int64_t limit = 50;
};

struct ResultPage {
  int64_t total = 0;                    // results matching the query, before offset and limit
  std::vector<ResultRecord> results;    // report and validationFile left empty in listings
};

struct DriveSummary {
  std::string model;
  int64_t count = 0;
  double medianSpeed = 0;   // MB/s
  double bestSpeed = 0;
  double worstSpeed = 0;
};

// The speed of a result in MB/s, from its average, as the program computes it.
double ResultSpeed(const ResultRecord& record);

}  // namespace qm
