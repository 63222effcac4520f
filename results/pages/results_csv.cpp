#include "results/pages/results_csv.h"

#include "results/clean_text.h"
#include "results/pages/html_text.h"

namespace qm {

std::string CsvField(std::string_view text) {
  const std::string clean = CleanText(text);
  std::string field = "\"";
  if (!clean.empty() && std::string_view("=+-@\t").find(clean.front()) != std::string_view::npos)
    field += '\'';
  for (char c : clean) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + "\"";
}

std::string CsvHeader() {
  return "id,submitted_utc,edition,drive_model,drive_capacity,drive_under_test,average_ms,speed_mb_s,"
         "processor,"
         "board,graphics,total_memory,os_name,os_build,report_sha256,outlier\r\n";
}

std::string CsvRow(const ResultRecord& r) {
  const std::string fields[] = {std::to_string(r.id),
                                r.submittedUtc,
                                r.edition,
                                r.driveModel,
                                r.driveCapacity,
                                r.driveUnderTest,
                                std::to_string(r.averageMs),
                                r.speedText,
                                r.processor,
                                r.board,
                                r.graphics,
                                r.totalMemory,
                                r.osName,
                                r.osBuild,
                                r.reportSha256};
  std::string row;
  for (const std::string& f : fields) {
    if (!row.empty()) row += ',';
    row += CsvField(f);
  }
  // Last, so the columns before keep their places.
  return row + (r.outlier ? ",true\r\n" : ",false\r\n");
}

}  // namespace qm
