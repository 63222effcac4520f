#include "results/pages/speed_scale.h"

#include <cmath>
#include <cstdio>

namespace qm {

std::string FixedText(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, std::isfinite(value) ? value : 0.0);
  return text;
}

namespace {

const char* FillOf(BarKind kind) {
  switch (kind) {
    case BarKind::Reference: return "#407840";
    case BarKind::Highlight: return "#d9822b";
    case BarKind::Result: break;
  }
  return "#50c850";
}

}  // namespace

std::string SpeedBarSvg(double mbPerSecond, BarKind kind) {
  const double width = BAR_WIDTH * ScalePosition(mbPerSecond);
  const std::string boundary = FixedText(BAR_WIDTH * SCALE_PROGRAM_SHARE, 1);
  // A visible sliver for the slowest results, as the program's open slots.
  const std::string shown = FixedText(std::fmax(width, 1.5), 1);
  return "<svg class=\"bar\" width=\"" + std::to_string(BAR_WIDTH) + "\" height=\"" +
         std::to_string(BAR_HEIGHT) + "\" viewBox=\"0 0 " + std::to_string(BAR_WIDTH) + " " +
         std::to_string(BAR_HEIGHT) + "\" preserveAspectRatio=\"none\" role=\"img\" aria-label=\"" +
         FixedText(mbPerSecond, 3) +
         " MB/s\"><rect width=\"100%\" height=\"100%\" rx=\"2\" fill=\"#e6eee6\"/><rect width=\"" + shown +
         "\" height=\"100%\" rx=\"2\" fill=\"" + FillOf(kind) + "\"/><line x1=\"" + boundary + "\" x2=\"" +
         boundary + "\" y1=\"0\" y2=\"" + std::to_string(BAR_HEIGHT) +
         "\" stroke=\"#8a9a8a\" stroke-dasharray=\"2 2\" vector-effect=\"non-scaling-stroke\"/></svg>";
}

std::string ScaleLabelsSvg() {
  static const char* const WORDS[] = {"VERY SLOW", "SLOW", "MID-RANGE", "FAST", "VERY FAST"};
  const double part = BAR_WIDTH * SCALE_PROGRAM_SHARE;
  std::string svg = "<svg class=\"scale\" width=\"" + std::to_string(BAR_WIDTH) +
                    "\" height=\"26\" viewBox=\"0 0 " + std::to_string(BAR_WIDTH) +
                    " 26\" role=\"img\" aria-label=\"speed scale from very slow to very fast\">";
  // The five words where the program's scale picture has them: the first at
  // its left edge, the last at its right edge, the middle three 53 pixels
  // apart around its centre.
  const double at[] = {0, part / 2 - 53, part / 2, part / 2 + 53, part};
  for (int k = 0; k < 5; ++k) {
    const char* anchor = k == 0 ? "start" : k == 4 ? "end" : "middle";
    svg += "<text x=\"" + FixedText(at[k], 1) + "\" y=\"10\" text-anchor=\"" + anchor + "\">" + WORDS[k] +
           "</text>";
  }
  svg += "<text x=\"0\" y=\"23\" class=\"tick\">0</text>";
  for (double speed : {SCALE_FULL_SPEED, 17.0, 170.0}) {
    const double x = BAR_WIDTH * ScalePosition(speed);
    svg += "<line x1=\"" + FixedText(x, 1) + "\" x2=\"" + FixedText(x, 1) +
           "\" y1=\"13\" y2=\"16\" stroke=\"#8a9a8a\"/><text class=\"tick\" x=\"" + FixedText(x, 1) +
           "\" y=\"23\" text-anchor=\"middle\">" + (speed < 10 ? FixedText(speed, 2) : FixedText(speed, 0)) +
           "</text>";
  }
  svg += "</svg>";
  return svg;
}

}  // namespace qm
