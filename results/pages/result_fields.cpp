#include "results/pages/result_fields.h"

#include "results/pages/html_text.h"
#include "results/pages/results_table.h"

namespace qm {

std::vector<ResultField> ResultFields(const ResultRecord& r) {
  return {
      {"Drive under test", EscapeHtml(r.driveUnderTest)},
      {"Drive model", EscapeHtml(ModelText(r))},
      {"Capacity", InDriveList(r) ? CapacityText(r.driveCapacity) : NOT_IN_DRIVE_LIST},
      {"Average of results", std::to_string(r.averageMs) + " ms"},
      {"Speed", EscapeHtml(r.speedText) + " MB/s"},
      {"Edition", EscapeHtml(r.edition)},
      {"Processor", EscapeHtml(r.processor)},
      {"Board", EscapeHtml(r.board)},
      {"Graphics", EscapeHtml(r.graphics)},
      {"Total memory", EscapeHtml(r.totalMemory)},
      {"OS", EscapeHtml(r.osName)},
      {"OS build", EscapeHtml(r.osBuild)},
      {"Submitted (UTC)", EscapeHtml(r.submittedUtc)},
      {"Report SHA-256", "<code>" + EscapeHtml(r.reportSha256) + "</code>"},
  };
}

}  // namespace qm
