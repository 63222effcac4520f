#include "results/pages/page_frame.h"

#include "results/pages/html_text.h"

namespace qm {

const char KEY_NOTICE[] =
    "The key that encrypts validation files ships with the program. A checked file therefore shows "
    "that its report is whole and consistent, not that the run took place.";

namespace {

std::string NavLink(const char* href, const char* label, bool active) {
  return std::string("<a href=\"") + href + "\"" + (active ? " class=\"active\" aria-current=\"page\"" : "") +
         ">" + label + "</a>";
}

}  // namespace

std::string PageFrame(const std::string& title, BoardSection section, const std::string& body) {
  return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<title>" +
         EscapeHtml(title) +
         " - Quillmark Results</title><link rel=\"stylesheet\" href=\"/board.css\"></head><body>"
         "<header class=\"top\"><div class=\"wrap\"><a class=\"brand\" href=\"/\">Quillmark "
         "<span>Results</span></a>"
         "<nav>" +
         NavLink("/", "Leaderboard", section == BoardSection::Leaderboard) +
         NavLink("/drives", "Drives", section == BoardSection::Drives) +
         NavLink("/submit", "Submit a result", section == BoardSection::Submit) +
         "</nav></div></header><main class=\"wrap\">" + body + "</main><footer class=\"wrap\"><p>" +
         KEY_NOTICE +
         "</p><p><a href=\"/results.csv\">All results as CSV</a> &middot; <a "
         "href=\"/api/results\">JSON</a></p>"
         "</footer></body></html>\n";
}

std::string ErrorPage(int status, const std::string& explanation) {
  const std::string title = status == 404   ? "Not found"
                            : status == 429 ? "Too many uploads"
                                            : "Request refused";
  return PageFrame(title, BoardSection::None,
                   "<h1>" + EscapeHtml(title) + "</h1><p class=\"notice error\">" + EscapeHtml(explanation) +
                       "</p><p><a href=\"/\">Back to the leaderboard</a></p>");
}

const std::string& BoardStyleSheet() {
  static const std::string css = R"css(
:root { --green-dark: #2f5a2f; --green: #407840; --green-bright: #50c850; --green-light: #8aff8a;
  --ink: #1d261d; --muted: #5f6b5f; --line: #dde5dd; --paper: #f6f8f5; --accent: #d9822b; }
* { box-sizing: border-box; }
body { margin: 0; background: var(--paper); color: var(--ink); overflow-wrap: anywhere;
  font: 15px/1.45 "DejaVu Sans", "Liberation Sans", Arial, sans-serif; }
a { color: var(--green); }
.wrap { max-width: 1320px; margin: 0 auto; padding: 0 20px; }
header.top { background: var(--green-dark); color: #fff; }
header.top .wrap { display: flex; flex-wrap: wrap; align-items: center; justify-content: space-between;
  gap: 4px 22px; min-height: 56px; padding-top: 6px; padding-bottom: 6px; }
.brand { color: #fff; font-weight: bold; font-size: 20px; text-decoration: none; letter-spacing: .3px; }
.brand span { color: var(--green-light); font-weight: normal; }
nav { display: flex; flex-wrap: wrap; gap: 4px 22px; }
nav a { color: #d8ecd8; text-decoration: none; padding: 4px 0; white-space: nowrap; }
nav a.active, nav a:hover { color: #fff; border-bottom: 3px solid var(--green-light); }
main { padding: 8px 20px 24px; }
h1 { font-size: 24px; margin: 22px 0 6px; }
h2 { font-size: 18px; margin: 26px 0 8px; }
p.lead { color: var(--muted); margin: 0 0 16px; }
.notice { padding: 10px 14px; border-radius: 4px; background: #e9f4e9; border: 1px solid #b9d9b9; }
.notice.error { background: #fbeaea; border-color: #e3b3b3; color: #7a1f1f; }
form.search { display: flex; gap: 8px; margin: 14px 0; }
input[type=search], input[type=file] { flex: 1; min-width: 0; max-width: 420px; padding: 7px 10px; font: inherit;
  border: 1px solid #b8c4b8; border-radius: 4px; background: #fff; }
button { font: inherit; padding: 7px 16px; border: 0; border-radius: 4px; background: var(--green); color: #fff;
  cursor: pointer; }
button:hover { background: var(--green-dark); }
table { border-collapse: collapse; width: 100%; background: #fff; border: 1px solid var(--line); font-size: 14px; }
th, td { padding: 6px 8px; text-align: left; border-bottom: 1px solid var(--line); vertical-align: middle; }
th { background: #eef3ee; font-size: 13px; color: var(--muted); font-weight: bold; overflow-wrap: normal; }
td.num, th.num { text-align: right; font-variant-numeric: tabular-nums; }
td.num { white-space: nowrap; }
td.model { font-weight: bold; min-width: 190px; max-width: 240px; }
td.small { font-size: 13px; color: var(--muted); min-width: 100px; max-width: 150px; }
th.pick, td.pick { width: 1%; text-align: center; }
.compare-go, form.compare-with { margin: 10px 0; }
form.compare-with input[type=text] { width: 9em; padding: 6px 8px; font: inherit; border: 1px solid #b8c4b8;
  border-radius: 4px; }
tr.reference td { background: #f0f6ee; font-style: italic; color: #2f5a2f; }
.badge { font-style: normal; font-size: 11px; font-weight: normal;
  margin-left: 8px; padding: 1px 6px; border-radius: 8px; background: var(--green); color: #fff; }
tbody tr:hover td { background: #f7fbf5; }
svg.bar, svg.scale { display: block; }
svg.scale text, svg.chart svg.scale text { font: bold 8px "DejaVu Sans", Arial, sans-serif; fill: #303030; }
svg.scale text.tick, svg.chart svg.scale text.tick { font-weight: normal; fill: var(--muted); }
.pager { display: flex; gap: 14px; align-items: center; margin: 14px 0; color: var(--muted); }
dl.fields { display: grid; grid-template-columns: max-content minmax(0, 1fr); gap: 4px 18px; background: #fff;
  border: 1px solid var(--line); padding: 14px 18px; margin: 0; }
dl.fields dt { color: var(--muted); }
dl.fields dd { margin: 0; overflow-wrap: anywhere; }
.speed-big { font-size: 34px; font-weight: bold; color: var(--green); }
.columns { display: grid; grid-template-columns: minmax(0, 5fr) minmax(0, 6fr); gap: 28px; align-items: start; }
.charts { display: flex; flex-wrap: wrap; gap: 12px 40px; margin-top: 8px; }
/* A chart keeps its size and legible text; on a narrow page it scrolls in its section. */
main section { max-width: 100%; overflow-x: auto; }
.charts section { flex: none; background: #fff; border: 1px solid var(--line);
  padding: 4px 16px 12px; }
.scroll { overflow-x: auto; }
/* The field names stay in view while the results scroll past them. */
table.compare th[scope=row] { position: sticky; left: 0; min-width: 120px; border-right: 1px solid var(--line); }
table.compare td { min-width: 170px; }
tr.differs td { background: #fff4e6; }
tr.differs th { background: #f8e8d2; }
.mark { color: #8a4a0c; font-weight: bold; }
h2.first { margin-top: 6px; }
pre.report { background: #1d261d; color: #c9f5c9; padding: 14px 16px; border-radius: 4px; overflow-x: auto;
  font: 13px/1.4 "DejaVu Sans Mono", "Liberation Mono", monospace; white-space: pre-wrap; overflow-wrap: anywhere; }
svg.chart text { font: 11px "DejaVu Sans", Arial, sans-serif; fill: var(--ink); }
svg.chart text.muted { fill: var(--muted); }
.download { display: inline-block; margin-top: 10px; padding: 7px 14px; border-radius: 4px; background: var(--green);
  color: #fff; text-decoration: none; }
footer { color: var(--muted); font-size: 13px; border-top: 1px solid var(--line); padding-top: 10px; margin-top: 30px; }
footer p.key { color: var(--ink); font-size: 14px; }
/* Narrower screens lose the columns that each result's own page has too. */
@media (max-width: 1000px) { .columns { grid-template-columns: 1fr; } .small.fold { display: none; } }
@media (max-width: 640px) {
  .wrap, main { padding-left: 10px; padding-right: 10px; }
  .fold, table.drives th:nth-child(n+5), table.drives td:nth-child(n+5) { display: none; }
  td.model { min-width: 0; }
  th > svg.scale { display: none; }
  td > svg.bar { width: 100%; min-width: 50px; }
  th, td { padding: 6px 5px; }
}
)css";
  return css;
}

}  // namespace qm
