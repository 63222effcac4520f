#include "results/pages/drive_pages.h"

#include <algorithm>

#include "results/pages/drive_strip.h"
#include "results/pages/html_text.h"
#include "results/pages/leaderboard_page.h"
#include "results/pages/page_frame.h"
#include "results/pages/results_table.h"
#include "results/pages/speed_scale.h"

namespace qm {

std::string DrivesPage(const std::vector<DriveSummary>& drives) {
  std::string body =
      "<h1>Drives</h1><p class=\"lead\">One row per drive model, as the drive list names it, fastest "
      "median first, with the middle half of its results' speeds (from the lower to the upper quartile) "
      "and the best and worst.</p><table class=\"drives\"><thead><tr><th>Drive model</th>"
      "<th class=\"num\">Results</th><th class=\"num\">Median MB/s</th><th>" +
      ScaleLabelsSvg() +
      "</th><th class=\"num\">Middle half</th><th class=\"num\">Best</th><th class=\"num\">Worst</th></tr>"
      "</thead><tbody>";
  for (const DriveSummary& d : drives) {
    const std::string model = d.model.empty() ? std::string("(no model given)")
                                              : "<a href=\"/drives/" + PercentEncode(d.model) + "\">" +
                                                    EscapeHtml(d.model) + "</a>";
    body += "<tr><td class=\"model\">" + model + "</td><td class=\"num\">" + std::to_string(d.count) +
            "</td><td class=\"num\"><b>" + FixedText(d.medianSpeed, 3) + "</b></td><td>" +
            SpeedBarSvg(d.medianSpeed, BarKind::Result) + "</td><td class=\"num\">" +
            FixedText(d.lowerQuartileSpeed, 3) + "&ndash;" + FixedText(d.upperQuartileSpeed, 3) +
            "</td><td class=\"num\">" + FixedText(d.bestSpeed, 3) + "</td><td class=\"num\">" +
            FixedText(d.worstSpeed, 3) + "</td></tr>";
  }
  if (drives.empty()) body += "<tr><td colspan=\"7\">No results yet.</td></tr>";
  return PageFrame("Drives", BoardSection::Drives, body + "</tbody></table>");
}

std::string DriveModelPage(const DrivePageData& data) {
  const std::string& model = data.figures.summary.model;
  const ResultPage& page = data.page;
  const int64_t pageNumber = data.pageNumber;
  const int64_t pages = PageCount(page.total);
  const std::string base = "/drives/" + PercentEncode(model) + "?page=";
  std::string body = "<h1>" + EscapeHtml(model) + "</h1><p class=\"lead\">" + std::to_string(page.total) +
                     (page.total == 1 ? " result" : " results") +
                     " of this drive model, fastest first. <a href=\"/drives\">All drive models</a></p>";
  body += "<section><h2>Where its results fall</h2>" + DriveStripSvg(data.figures, data.fences) +
          "<p class=\"small\">";
  body +=
      data.fences.active
          ? "A result beyond a dashed fence is marked as an outlier: " + std::string(OUTLIER_EXPLANATION)
          : "Outliers are marked once a drive model has " + std::to_string(OUTLIER_MIN_RESULTS) + " results.";
  body += "</p></section>";
  body += ResultsTable(MergeRows(page.results, (pageNumber - 1) * LEADERBOARD_PAGE_SIZE + 1, {}));
  body += "<div class=\"pager\">";
  if (pageNumber > 1)
    body += "<a rel=\"prev\" href=\"" + base + std::to_string(std::min(pageNumber - 1, pages)) +
            "\">&larr; Faster</a>";
  body += "<span>Page " + std::to_string(pageNumber) + " of " + std::to_string(pages) + "</span>";
  if (pageNumber < pages)
    body += "<a rel=\"next\" href=\"" + base + std::to_string(pageNumber + 1) + AfterParameter(page) +
            "\">Slower &rarr;</a>";
  body += "</div>";
  return PageFrame(model, BoardSection::Drives, body);
}

}  // namespace qm
