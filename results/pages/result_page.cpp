#include "results/pages/result_page.h"

#include <algorithm>

#include "results/pages/html_text.h"
#include "results/pages/page_frame.h"
#include "results/pages/reference_chart.h"
#include "results/pages/result_fields.h"
#include "results/pages/results_table.h"
#include "results/pages/speed_scale.h"

namespace qm {

int FasterThanPercent(const SpeedStanding& standing) {
  if (standing.total <= 0) return 0;
  return static_cast<int>(standing.slower * 100 / standing.total);
}

SpeedStanding StandingAmong(double speed, const std::vector<SpeedCount>& speedCounts) {
  SpeedStanding standing;
  standing.binCounts.assign(HISTOGRAM_BINS, 0);
  for (const SpeedCount& s : speedCounts) {
    standing.binCounts[HistogramBin(s.speed)] += s.count;
    standing.total += s.count;
    if (s.speed < speed) standing.slower += s.count;
  }
  return standing;
}

namespace {

// All results on the board's scale, with this one's bin and place marked.
std::string Histogram(const ResultRecord& r, const SpeedStanding& standing) {
  std::vector<int64_t> counts = standing.binCounts;
  counts.resize(HISTOGRAM_BINS);
  const int64_t most = std::max<int64_t>(1, *std::max_element(counts.begin(), counts.end()));
  const int width = 380, plotHeight = 150, top = 18;
  const double binWidth = static_cast<double>(width) / HISTOGRAM_BINS;
  const int own = HistogramBin(ResultSpeed(r));
  std::string svg = "<svg class=\"chart\" id=\"histogram\" width=\"" + std::to_string(width + 20) +
                    "\" height=\"" + std::to_string(top + plotHeight + 34) + "\" viewBox=\"0 0 " +
                    std::to_string(width + 20) + " " + std::to_string(top + plotHeight + 34) +
                    "\" role=\"img\" aria-label=\"distribution of all results\">";
  for (int b = 0; b < HISTOGRAM_BINS; ++b) {
    if (counts[b] == 0) continue;
    const double h = std::max(2.0, static_cast<double>(plotHeight) * counts[b] / most);
    svg += "<rect x=\"" + FixedText(b * binWidth + 0.5, 1) + "\" y=\"" + FixedText(top + plotHeight - h, 1) +
           "\" width=\"" + FixedText(binWidth - 1, 1) + "\" height=\"" + FixedText(h, 1) + "\" fill=\"" +
           (b == own ? "#d9822b" : "#50c850") + "\"><title>" + std::to_string(counts[b]) + "</title></rect>";
  }
  const std::string x = FixedText(width * ScalePosition(ResultSpeed(r)), 1);
  svg += "<line x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" + std::to_string(top - 4) + "\" y2=\"" +
         std::to_string(top + plotHeight) + "\" stroke=\"#d9822b\" stroke-width=\"2\"/>";
  svg += "<text x=\"" + x + "\" y=\"" + std::to_string(top - 7) + "\" text-anchor=\"" +
         (ScalePosition(ResultSpeed(r)) > 0.8 ? "end" : "middle") + "\">this result</text>";
  svg += "<line x1=\"0\" x2=\"" + std::to_string(width) + "\" y1=\"" + std::to_string(top + plotHeight) +
         "\" y2=\"" + std::to_string(top + plotHeight) + "\" stroke=\"#8a9a8a\"/>";
  for (double speed : {0.0, 0.85, SCALE_FULL_SPEED, 17.0, 170.0}) {
    const std::string tx = FixedText(width * ScalePosition(speed), 1);
    svg += "<text class=\"muted\" x=\"" + tx + "\" y=\"" + std::to_string(top + plotHeight + 14) +
           "\" text-anchor=\"" + (speed == 0 ? "start" : "middle") + "\">" +
           (speed < 10 ? FixedText(speed, 2) : FixedText(speed, 0)) + "</text>";
  }
  svg += "<text class=\"muted\" x=\"" + std::to_string(width / 2) + "\" y=\"" +
         std::to_string(top + plotHeight + 30) + "\" text-anchor=\"middle\">MB/s, on the board's scale (" +
         std::to_string(standing.total) + " results)</text>";
  return svg + "</svg>";
}

// This result beside others, by their numbers: the hidden field and the
// typed ones arrive as ids=7&ids=12,40, which /compare takes together.
std::string CompareForm(const std::string& id) {
  return "<form class=\"compare-with\" method=\"get\" action=\"/compare\"><input type=\"hidden\" "
         "name=\"ids\" value=\"" +
         id +
         "\"><label for=\"compare-with\">Compare with results</label> <input type=\"text\" "
         "id=\"compare-with\" name=\"ids\" inputmode=\"numeric\" pattern=\"[0-9, ]*\" "
         "placeholder=\"e.g. 12, 40\"> <button type=\"submit\">Compare</button></form>";
}

}  // namespace

std::string ResultPageHtml(const ResultView& view) {
  const ResultRecord& r = view.record;
  const std::string id = std::to_string(r.id);
  std::string body;
  if (view.notice == ArrivalNotice::Added)
    body += "<p class=\"notice\" id=\"arrival\">Your validation file was checked and added to the board.</p>";
  if (view.notice == ArrivalNotice::Duplicate)
    body +=
        "<p class=\"notice\" id=\"arrival\">This report was already on the board; here is its result.</p>";
  if (!view.deleteToken.empty())
    body += "<p class=\"notice\" id=\"delete-token\">Your delete token: <code>" +
            EscapeHtml(view.deleteToken) +
            "</code>. Keep it: the board shows it only now, and keeps only its hash. <a id=\"delete-link\" "
            "href=\"/results/" +
            id + "/delete?token=" + PercentEncode(view.deleteToken) + "\">Delete this result</a></p>";
  const int percent = FasterThanPercent(view.standing);
  body += "<h1 id=\"drive-model\">" + EscapeHtml(ModelText(r)) + "</h1><p class=\"lead\">Result " + id +
          ", submitted " + EscapeHtml(r.submittedUtc) + "</p>";
  body += "<div class=\"columns\"><div><div class=\"speed-big\" id=\"speed\">" + EscapeHtml(r.speedText) +
          " MB/s</div><p id=\"percentile\">Faster than " + std::to_string(percent) + " % of results.</p>";
  if (r.outlier)
    body += "<p class=\"notice\" id=\"outlier\">" + OutlierMark() + " " + OUTLIER_EXPLANATION +
            " <a href=\"/drives/" + PercentEncode(r.driveModel) + "\">See where it falls</a></p>";
  body += "<dl class=\"fields\">";
  for (const ResultField& field : ResultFields(r))
    body += std::string("<dt>") + field.name + "</dt><dd>" + field.html + "</dd>";
  body += "</dl><a class=\"download\" id=\"download\" href=\"/results/" + id +
          ".verify\" download>Download the validation file</a>" + CompareForm(id) +
          "</div><div><h2 class=\"first\">The report</h2>"
          "<pre class=\"report\" id=\"report\">" +
          EscapeHtml(r.report) + "</pre></div></div>";
  body += "<div class=\"charts\"><section><h2>Beside the reference drives</h2>" +
          ReferenceChartSvg({{"This result: " + ModelText(r), ResultSpeed(r)}}) +
          "</section><section><h2>Among all results</h2>" + Histogram(r, view.standing) + "</section></div>";
  return PageFrame(ModelText(r), BoardSection::None, body);
}

}  // namespace qm
