#include "results/pages/reference_chart.h"

#include <algorithm>

#include "layout/reference_drives.h"
#include "platform/text.h"
#include "results/pages/html_text.h"
#include "results/pages/speed_scale.h"

namespace qm {

namespace {

struct Entry {
  ChartBar bar;
  bool own = false;
};

// What fits beside the bars, cut at a character boundary; the whole label
// stays in the tooltip.
std::string ShortLabel(const std::string& label) {
  if (label.size() <= 30) return label;
  size_t cut = 29;
  while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80) --cut;
  return label.substr(0, cut) + "...";
}

std::string EntrySvg(const Entry& e, int y, int labelWidth) {
  return "<text x=\"0\" y=\"" + std::to_string(y + 10) + "\"" + (e.own ? " font-weight=\"bold\"" : "") +
         "><title>" + EscapeHtml(e.bar.label) + "</title>" + EscapeHtml(ShortLabel(e.bar.label)) +
         "</text><g transform=\"translate(" + std::to_string(labelWidth) + " " + std::to_string(y) + ")\">" +
         SpeedBarSvg(e.bar.speed, e.own ? BarKind::Highlight : BarKind::Reference) +
         "</g><text class=\"muted\" x=\"" + std::to_string(labelWidth + BAR_WIDTH + 8) + "\" y=\"" +
         std::to_string(y + 10) + "\">" + FixedText(e.bar.speed, 3) + "</text>";
}

}  // namespace

std::string ReferenceChartSvg(const std::vector<ChartBar>& results) {
  std::vector<Entry> entries;
  for (const ReferenceDrive& drive : ReferenceDrives())
    entries.push_back({{Utf8(drive.label), ReferenceSpeed(drive)}, false});
  for (const ChartBar& bar : results) entries.push_back({bar, true});
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.bar.speed > b.bar.speed; });
  const int rowHeight = 24, labelWidth = 205, top = 32;
  const int height = top + rowHeight * static_cast<int>(entries.size()) + 4;
  std::string svg =
      "<svg class=\"chart\" id=\"reference-chart\" width=\"580\" height=\"" + std::to_string(height) +
      "\" viewBox=\"0 0 580 " + std::to_string(height) +
      "\" role=\"img\" aria-label=\"speeds beside the reference drives\"><g transform=\"translate(" +
      std::to_string(labelWidth) + " 0)\">" + ScaleLabelsSvg() + "</g>";
  for (size_t i = 0; i < entries.size(); ++i)
    svg += EntrySvg(entries[i], top + rowHeight * static_cast<int>(i), labelWidth);
  return svg + "</svg>";
}

}  // namespace qm
