// The board's pages from hand-built records: what a sender writes is shown
// escaped everywhere, the scale tells fast results apart, each reference
// drive lands on one page of the leaderboard, the CSV cannot carry formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "layout/reference_drives.h"
#include "platform/text.h"
#include "results/pages/compare_page.h"
#include "results/pages/drive_pages.h"
#include "results/pages/html_text.h"
#include "results/pages/leaderboard_page.h"
#include "results/pages/page_frame.h"
#include "results/pages/result_json.h"
#include "results/pages/result_page.h"
#include "results/pages/results_csv.h"
#include "results/pages/results_table.h"
#include "results/pages/speed_scale.h"
#include "results/pages/submit_page.h"

namespace qm {
namespace {

TEST(HtmlText, EscapesMarkupAndCleansBytes) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
      {"a\"b'c&d", "a&quot;b&#39;c&amp;d"},
      {"Ry\xc3\xa9n 7 \xe2\x84\xa2 \xf0\x9f\x98\x80", "Ry\xc3\xa9n 7 \xe2\x84\xa2 \xf0\x9f\x98\x80"},  // kept
      {"x\xffy", "x\xef\xbf\xbdy"},                              // stray byte
      {"\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd"},                  // overlong '/'
      {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // surrogate
      {"end\xe2\x82", "end\xef\xbf\xbd\xef\xbf\xbd"},            // cut short
      {"a\x01"
       "b\x1b[31m",
       "a\xef\xbf\xbd"
       "b\xef\xbf\xbd[31m"},                                   // controls, terminal escapes
      {"a\x7f\xc2\x85z", "a\xef\xbf\xbd\xef\xbf\xbdz"},        // DEL and a C1 control
      {"evil\xe2\x80\xaetxt.exe", "evil\xef\xbf\xbdtxt.exe"},  // right-to-left override
      {std::string("nul\0byte", 8),
       "nul\xef\xbf\xbd"
       "byte"},
      {"line\r\nnext\ttab", "line\nnext\ttab"},
      {"---\r\rD:\r\r\n", "---\n\nD:\n\n"},  // the drive list's lone CRs break lines too
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeHtml(c.in), c.out) << c.in;
  EXPECT_EQ(PercentEncode("WD Black/SN850 ?&#"), "WD%20Black%2FSN850%20%3F%26%23");
}

TEST(SpeedScale, ProgramPartIsLinearAndFasterResultsStayApart) {
  EXPECT_EQ(ScalePosition(0), 0);
  EXPECT_EQ(ScalePosition(-1), 0);
  EXPECT_EQ(ScalePosition(NAN), 0);
  EXPECT_DOUBLE_EQ(ScalePosition(0.85), SCALE_PROGRAM_SHARE / 2);
  EXPECT_DOUBLE_EQ(ScalePosition(1.70), SCALE_PROGRAM_SHARE);
  EXPECT_EQ(ScalePosition(INFINITY), 1);
  // Speeds the program's bar shows all as full: 1.8 MB/s up to the 1 ms average.
  const double faster[] = {1.71, 1.8, 2.5, 17, 170, 1000, 1953.125};
  for (size_t i = 1; i < std::size(faster); ++i) {
    EXPECT_LT(ScalePosition(faster[i - 1]), ScalePosition(faster[i])) << faster[i];
    EXPECT_LE(ScalePosition(faster[i]), 1.0);
  }
  const std::string labels = ScaleLabelsSvg();
  size_t at = 0;
  for (const char* word : {">VERY SLOW<", ">SLOW<", ">MID-RANGE<", ">FAST<", ">VERY FAST<"}) {
    at = labels.find(word, at);
    ASSERT_NE(at, std::string::npos) << word << " in order";
  }
}

ResultRecord Result(int64_t id, int64_t averageMs, const std::string& model) {
  ResultRecord r;
  r.id = id;
  r.averageMs = averageMs;
  r.speedText = FixedText(ResultSpeed(r), 3);
  r.driveModel = model;
  r.driveCapacity = "465.762";
  r.processor = "CPU";
  r.submittedUtc = "2026-12-10T08:01:02Z";
  return r;
}

// The board paged as the server pages it: every reference drive appears on
// exactly one page, and every page runs from fastest to slowest.
TEST(Leaderboard, EachReferenceOnOnePageInSpeedOrder) {
  std::vector<ResultRecord> all;
  for (int i = 0; i < 137; ++i) all.push_back(Result(i + 1, 1000 + 40 * i, "m"));  // 2.0 MB/s down to 0.2
  std::multiset<int> shown;
  for (int64_t page = 1; page <= PageCount(static_cast<int64_t>(all.size())); ++page) {
    LeaderboardView view;
    view.pageNumber = page;
    view.page.total = static_cast<int64_t>(all.size());
    const size_t first = (page - 1) * LEADERBOARD_PAGE_SIZE;
    if (first > 0) view.speedAbove = ResultSpeed(all[first - 1]);
    for (size_t i = first; i < std::min(all.size(), first + LEADERBOARD_PAGE_SIZE); ++i)
      view.page.results.push_back(all[i]);
    const std::vector<int> refs = ReferencesOnPage(view);
    shown.insert(refs.begin(), refs.end());
    const auto rows = MergeRows(view.page.results, static_cast<int64_t>(first) + 1, refs);
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].speed, rows[i].speed) << "page " << page;
    EXPECT_EQ(rows.front().reference ? 0 : rows.front().rank,
              rows.front().reference ? 0 : int64_t(first) + 1);
  }
  EXPECT_EQ(shown.size(), size_t{REFERENCE_DRIVE_COUNT});
  EXPECT_EQ(std::set<int>(shown.begin(), shown.end()).size(), size_t{REFERENCE_DRIVE_COUNT});

  LeaderboardView empty;  // an empty board still shows the references
  EXPECT_EQ(ReferencesOnPage(empty).size(), size_t{REFERENCE_DRIVE_COUNT});
  empty.searchText = "samsung";  // a search shows only what matches
  EXPECT_TRUE(ReferencesOnPage(empty).empty());
}

// A search's next page follows its last result, as the plain listing's does.
TEST(Pages, SearchPagesLinkOnAfterTheirLastResult) {
  LeaderboardView search;
  search.searchText = "samsung";
  search.page.total = 3 * LEADERBOARD_PAGE_SIZE;
  search.page.results = {Result(4, 700, "Samsung A"), Result(9, 800, "Samsung B")};
  const std::string html = LeaderboardPage(search);
  EXPECT_NE(html.find("page=2&amp;after=800-9\">Slower"), std::string::npos) << html;
}

TEST(Distribution, PercentAndHistogram) {
  const std::vector<SpeedCount> speeds = {{0.5, 1}, {1.0, 2}, {3.0, 1}};
  EXPECT_EQ(FasterThanPercent(StandingAmong(1.0, speeds)), 25);  // equal speeds are not beaten
  EXPECT_EQ(FasterThanPercent(StandingAmong(3.0, speeds)), 75);
  EXPECT_EQ(FasterThanPercent(StandingAmong(3.0, {{3.0, 1}})), 0);
  EXPECT_EQ(FasterThanPercent(StandingAmong(3.0, {})), 0);
  const auto counts = StandingAmong(1.0, speeds).binCounts;
  EXPECT_EQ(counts[HistogramBin(1.0)], 2);
  EXPECT_EQ(counts[HistogramBin(0.0)], 0);
  EXPECT_EQ(HistogramBin(1e9), HISTOGRAM_BINS - 1);
}

TEST(Csv, QuotedAndFormulaSafe) {
  EXPECT_EQ(CsvField("plain"), "\"plain\"");
  EXPECT_EQ(CsvField("say \"hi\", ok"), "\"say \"\"hi\"\", ok\"");
  EXPECT_EQ(CsvField("=HYPERLINK(\"x\")"), "\"'=HYPERLINK(\"\"x\"\")\"");
  for (const char* formula : {"+1", "-1+2", "@SUM(A1)", "\tx"})
    EXPECT_EQ(CsvField(formula).substr(0, 2), "\"'") << formula;
  EXPECT_EQ(CsvField("two\r\nlines"), "\"two\nlines\"");
  ResultRecord r = Result(7, 1500, "a,b");
  const std::string row = CsvRow(r);
  EXPECT_EQ(row.substr(0, 4), "\"7\",");
  EXPECT_EQ(row.substr(row.size() - 2), "\r\n");
}

// Every field of a result set to markup: no page shows it raw.
TEST(Pages, HostileFieldsAreEscapedEverywhere) {
  const std::string hostile = "<img src=x onerror=alert(1)>\"'&";
  ResultRecord r = Result(42, 1500, hostile);
  for (std::string* field :
       {&r.edition, &r.processor, &r.board, &r.graphics, &r.totalMemory, &r.osName, &r.osBuild,
        &r.driveUnderTest, &r.driveCapacity, &r.speedText, &r.submittedUtc, &r.reportSha256, &r.report})
    *field = hostile;
  LeaderboardView board;
  board.page.total = 1;
  board.page.results = {r};
  board.searchText = hostile;
  ResultView one;
  one.record = r;
  one.standing = StandingAmong(ResultSpeed(r), {{ResultSpeed(r), 1}});
  DriveSummary drive;
  drive.model = hostile;
  drive.count = 1;
  DrivePageData modelPage;
  modelPage.figures.summary = drive;
  modelPage.figures.sampleSpeeds = {ResultSpeed(r)};
  modelPage.page.total = 1;
  modelPage.page.results = {r};
  const std::string pages[] = {LeaderboardPage(board),    ResultPageHtml(one), DrivesPage({drive}),
                               DriveModelPage(modelPage), SubmitPage(hostile), ErrorPage(404, hostile),
                               ComparePage({r, r})};
  for (const std::string& html : pages) {
    EXPECT_EQ(html.find("<img"), std::string::npos) << html.substr(0, 400);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find(" style="), std::string::npos) << "inline style, refused by the pages' policy";
    EXPECT_NE(html.find("&lt;img src=x onerror=alert(1)&gt;&quot;&#39;&amp;"), std::string::npos);
  }
}

// The listing written a result at a time is the text of the one tree it
// stands for, quotes, control characters and broken UTF-8 included.
TEST(ResultListJson, TheTextOfTheWholeTree) {
  ResultRecord odd = Result(7, 900, "quote \" back \\ line\n tab\t \x01 \xff\xfe end");
  odd.processor = "\xe2\x82";  // a cut multibyte character
  for (const std::vector<ResultRecord>& results :
       {std::vector<ResultRecord>{}, {Result(1, 500, "A")}, {Result(1, 500, "A"), odd}}) {
    ResultPage page;
    page.total = 100000;
    page.results = results;
    nlohmann::json list = nlohmann::json::array();
    for (const ResultRecord& record : results) list.push_back(ResultSummaryJson(record));
    const nlohmann::json tree = {{"total", page.total}, {"offset", 49950}, {"limit", 50}, {"results", list}};
    EXPECT_EQ(ResultListJson(page, 49950, 50), DumpJson(tree));
  }
}

TEST(Pages, ResultPageShowsWhereItStands) {
  ResultView one;
  one.record = Result(5, 2000, "Model Z");
  one.record.report = "MB/s: 1.000\r\n";
  one.standing = StandingAmong(ResultSpeed(one.record), {{0.5, 1}, {0.9, 1}, {1.0, 1}, {2.0, 1}});
  const std::string html = ResultPageHtml(one);
  EXPECT_NE(html.find("Faster than 50 % of results."), std::string::npos);
  EXPECT_NE(html.find("href=\"/results/5.verify\""), std::string::npos);
  for (const ReferenceDrive& drive : ReferenceDrives())
    EXPECT_NE(html.find(EscapeHtml(Utf8(drive.label))), std::string::npos) << Utf8(drive.label);
  EXPECT_NE(html.find(KEY_NOTICE), std::string::npos);
}

}  // namespace
}  // namespace qm
