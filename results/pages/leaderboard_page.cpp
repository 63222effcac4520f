#include "results/pages/leaderboard_page.h"

#include <algorithm>

#include "layout/reference_drives.h"
#include "results/pages/html_text.h"
#include "results/pages/page_frame.h"
#include "results/pages/results_table.h"

namespace qm {

int64_t PageCount(int64_t total) {
  return total <= 0 ? 1 : (total + LEADERBOARD_PAGE_SIZE - 1) / LEADERBOARD_PAGE_SIZE;
}

std::string AfterParameter(const ResultPage& page) {
  if (page.results.empty()) return std::string();
  const ResultRecord& last = page.results.back();
  return "&amp;after=" + std::to_string(last.averageMs) + "-" + std::to_string(last.id);
}

std::vector<int> ReferencesOnPage(const LeaderboardView& view) {
  std::vector<int> indexes;
  if (!view.searchText.empty()) return indexes;
  const auto& results = view.page.results;
  if (results.empty() && view.pageNumber > 1) return indexes;
  const bool lastPage = view.pageNumber >= PageCount(view.page.total);
  const double slowest = results.empty() ? 0 : ResultSpeed(results.back());
  for (int k = 0; k < REFERENCE_DRIVE_COUNT; ++k) {
    const double speed = ReferenceSpeed(ReferenceDrives()[k]);
    if (speed <= view.speedAbove && (lastPage || speed > slowest)) indexes.push_back(k);
  }
  return indexes;
}

namespace {

std::string PageLink(const std::string& searchText, int64_t page) {
  std::string href = "/?";
  if (!searchText.empty()) href += "q=" + PercentEncode(searchText) + "&amp;";
  return href + "page=" + std::to_string(page);
}

std::string Pager(const LeaderboardView& view) {
  const int64_t pages = PageCount(view.page.total);
  std::string html = "<div class=\"pager\">";
  if (view.pageNumber > 1)
    html += "<a rel=\"prev\" href=\"" + PageLink(view.searchText, std::min(view.pageNumber - 1, pages)) +
            "\">&larr; Faster</a>";
  html += "<span>Page " + std::to_string(view.pageNumber) + " of " + std::to_string(pages) + "</span>";
  if (view.pageNumber < pages)
    html += "<a rel=\"next\" href=\"" + PageLink(view.searchText, view.pageNumber + 1) +
            AfterParameter(view.page) + "\">Slower &rarr;</a>";
  return html + "</div>";
}

}  // namespace

std::string LeaderboardPage(const LeaderboardView& view) {
  const int64_t count = view.page.total;
  std::string body = "<h1>Leaderboard</h1><p class=\"lead\">";
  if (view.searchText.empty()) {
    body += std::to_string(count) + (count == 1 ? " result" : " results") +
            ", fastest first, with the seven reference drives of the program's comparison window.";
  } else {
    body += (view.page.totalCapped ? "More than " : "") + std::to_string(count) +
            (count == 1 && !view.page.totalCapped ? " result matches " : " results match ") + "&ldquo;" +
            EscapeHtml(view.searchText) + "&rdquo; in drive model or processor.";
  }
  body +=
      "</p><form class=\"search\" method=\"get\" action=\"/\" role=\"search\">"
      "<input type=\"search\" name=\"q\" minlength=\"3\" placeholder=\"Drive model or processor\" "
      "aria-label=\"Search\" "
      "value=\"" +
      EscapeHtml(view.searchText) + "\"><button type=\"submit\">Search</button>";
  if (!view.searchText.empty()) body += "<a href=\"/\" class=\"clear\">Show all</a>";
  body += "</form>";
  const int64_t firstRank = (view.pageNumber - 1) * LEADERBOARD_PAGE_SIZE + 1;
  body += ResultsTable(MergeRows(view.page.results, firstRank, ReferencesOnPage(view)));
  body += Pager(view);
  return PageFrame("Leaderboard", BoardSection::Leaderboard, body);
}

}  // namespace qm
