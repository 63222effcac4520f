#include "results/pages/results_table.h"

#include <algorithm>

#include "layout/reference_drives.h"
#include "platform/text.h"
#include "results/pages/html_text.h"
#include "results/pages/speed_scale.h"

namespace qm {

std::vector<TableRow> MergeRows(const std::vector<ResultRecord>& results, int64_t firstRank,
                                const std::vector<int>& referenceIndexes) {
  std::vector<TableRow> rows;
  for (size_t i = 0; i < results.size(); ++i) {
    TableRow row;
    row.rank = firstRank + static_cast<int64_t>(i);
    row.speed = ResultSpeed(results[i]);
    row.result = &results[i];
    rows.push_back(row);
  }
  for (int index : referenceIndexes) {
    const ReferenceDrive& drive = ReferenceDrives()[index];
    TableRow row;
    row.reference = true;
    row.referenceLabel = Utf8(drive.label);
    row.speed = ReferenceSpeed(drive);
    // After every result at least as fast, so ranks stay in order.
    auto at = std::find_if(rows.begin(), rows.end(), [&](const TableRow& r) { return r.speed < row.speed; });
    rows.insert(at, row);
  }
  return rows;
}

std::string CapacityText(const std::string& driveCapacity) {
  if (driveCapacity.empty() || driveCapacity == "---") return "---";
  return EscapeHtml(driveCapacity) + " GiB";
}

bool InDriveList(const ResultRecord& r) { return !r.driveCapacity.empty() || !r.driveModel.empty(); }

std::string ModelText(const ResultRecord& r) {
  if (!r.driveModel.empty()) return r.driveModel;
  return InDriveList(r) ? std::string("(no model given)") : std::string(NOT_IN_DRIVE_LIST);
}

std::string DateText(const std::string& submittedUtc) { return EscapeHtml(submittedUtc.substr(0, 10)); }

std::string OutlierMark() {
  return std::string("<span class=\"badge outlier\" title=\"") + OUTLIER_EXPLANATION + "\">outlier</span>";
}

namespace {

std::string ModelCell(const ResultRecord& result) {
  return "<a href=\"/results/" + std::to_string(result.id) + "\">" + EscapeHtml(ModelText(result)) + "</a>" +
         (result.outlier ? " " + OutlierMark() : std::string());
}

std::string ResultRow(const TableRow& row) {
  const ResultRecord& r = *row.result;
  const std::string id = std::to_string(r.id);
  return "<tr id=\"result-" + id + "\"><td class=\"pick\"><input type=\"checkbox\" name=\"ids\" value=\"" +
         id + "\" aria-label=\"Pick result " + id + " to compare\"></td><td class=\"num\">" +
         std::to_string(row.rank) + "</td><td class=\"model\">" + ModelCell(r) +
         "</td><td class=\"num fold\">" + CapacityText(r.driveCapacity) + "</td><td class=\"num\"><b>" +
         EscapeHtml(r.speedText) + "</b></td><td>" + SpeedBarSvg(row.speed, BarKind::Result) +
         "</td><td class=\"num fold\">" + std::to_string(r.averageMs) + "</td><td class=\"small fold\">" +
         EscapeHtml(r.processor) + "</td><td class=\"small fold\">" + EscapeHtml(r.osName) +
         "</td><td class=\"num small fold\">" + DateText(r.submittedUtc) + "</td></tr>";
}

std::string ReferenceRow(const TableRow& row) {
  return "<tr class=\"reference\"><td class=\"pick\"></td><td class=\"num\">&ndash;</td><td "
         "class=\"model\">" +
         EscapeHtml(row.referenceLabel) +
         " <span class=\"badge\">reference</span></td><td class=\"num fold\"></td>" +
         "<td class=\"num\"><b>" + FixedText(row.speed, 3) + "</b></td><td>" +
         SpeedBarSvg(row.speed, BarKind::Reference) +
         "</td><td class=\"num fold\"></td><td class=\"small fold\" colspan=\"3\">the program's comparison "
         "window</td></tr>";
}

}  // namespace

std::string ResultsTable(const std::vector<TableRow>& rows) {
  std::string html =
      "<form class=\"compare-pick\" method=\"get\" action=\"/compare\"><table class=\"results\"><thead><tr>"
      "<th class=\"pick\">Pick</th><th class=\"num\">Rank</th><th>Drive model</th>"
      "<th class=\"num fold\">Capacity</th><th class=\"num\">MB/s</th><th>" +
      ScaleLabelsSvg() +
      "</th><th class=\"num fold\">Average ms</th><th class=\"small fold\">Processor</th><th class=\"small "
      "fold\">OS</th>"
      "<th class=\"num small fold\">Date</th></tr>"
      "</thead><tbody>";
  for (const TableRow& row : rows) html += row.reference ? ReferenceRow(row) : ResultRow(row);
  if (rows.empty()) html += "<tr><td colspan=\"10\">No results here yet.</td></tr>";
  // A form of checkboxes sends ids=1&ids=2, which /compare takes: no script needed.
  return html +
         "</tbody></table><p class=\"compare-go\"><button type=\"submit\" id=\"compare-go\">Compare the "
         "picked results</button> (two to four)</p></form>";
}

}  // namespace qm
