#include "results/pages/compare_page.h"

#include "results/pages/html_text.h"
#include "results/pages/page_frame.h"
#include "results/pages/reference_chart.h"
#include "results/pages/result_fields.h"
#include "results/pages/results_table.h"

namespace qm {

namespace {

std::string HeadRow(const std::vector<ResultRecord>& results) {
  std::string html = "<thead><tr><th scope=\"col\">Field</th>";
  for (const ResultRecord& r : results) {
    const std::string id = std::to_string(r.id);
    html.append("<th scope=\"col\" id=\"result-").append(id).append("\"><a href=\"/results/").append(id);
    html.append("\">Result ").append(id).append("</a></th>");
  }
  return html + "</tr></thead>";
}

// One row per field. A row whose values are not all the same is marked
// with a sign and a word, not by colour alone.
std::string FieldRows(const std::vector<ResultRecord>& results) {
  std::vector<std::vector<ResultField>> columns;
  columns.reserve(results.size());
  for (const ResultRecord& r : results) columns.push_back(ResultFields(r));
  std::string html = "<tbody>";
  for (size_t f = 0; f < columns.front().size(); ++f) {
    bool differs = false;
    for (const auto& column : columns) differs = differs || column[f].html != columns.front()[f].html;
    html +=
        std::string("<tr") + (differs ? " class=\"differs\"" : "") + "><th scope=\"row\">" +
        columns.front()[f].name +
        (differs ? " <span class=\"mark\" title=\"differs\">&ne;<span class=\"word\"> differs</span></span>"
                 : "") +
        "</th>";
    for (const auto& column : columns) html += "<td>" + column[f].html + "</td>";
    html += "</tr>";
  }
  return html + "</tbody>";
}

std::string IdList(const std::vector<ResultRecord>& results) {
  std::string text;
  for (const ResultRecord& r : results) text += (text.empty() ? "" : ", ") + std::to_string(r.id);
  return text;
}

}  // namespace

std::string ComparePage(const std::vector<ResultRecord>& results) {
  std::vector<ChartBar> bars;
  bars.reserve(results.size());
  for (const ResultRecord& r : results)
    bars.push_back({"Result " + std::to_string(r.id) + ": " + ModelText(r), ResultSpeed(r)});
  std::string body = "<h1>Results " + IdList(results) +
                     " side by side</h1><p class=\"lead\">Fields whose values differ are marked "
                     "&ne;.</p><div class=\"scroll\"><table class=\"compare\">" +
                     HeadRow(results) + FieldRows(results) + "</table></div>";
  body += "<div class=\"charts\"><section><h2>Beside the reference drives</h2>" + ReferenceChartSvg(bars) +
          "</section></div>";
  return PageFrame("Results " + IdList(results) + " side by side", BoardSection::None, body);
}

}  // namespace qm
