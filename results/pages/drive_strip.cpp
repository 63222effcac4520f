// The strip plot of a drive model's page, from the figures and the sample
// of speeds the store keeps: never a read of all of a large model's rows.
#include "results/pages/drive_strip.h"

#include <algorithm>
#include <cmath>

#include "results/pages/speed_scale.h"

namespace qm {

namespace {

constexpr double LEFT = 10, WIDTH = 560, TOP = 18, HEIGHT = 60;

struct LogAxis {
  double logLow = 0, logHigh = 1;
  double X(double speed) const {
    const double at = (std::log(std::max(speed, 1e-300)) - logLow) / (logHigh - logLow);
    return LEFT + WIDTH * std::clamp(at, 0.0, 1.0);
  }
};

// From a little below the slowest shown (result or fence) to a little above
// the fastest.
LogAxis AxisFor(const DriveFigures& figures, const OutlierFences& fences) {
  double low = figures.summary.worstSpeed, high = figures.summary.bestSpeed;
  if (fences.active) {
    low = std::min(low, fences.lowSpeed);
    high = std::max(high, fences.highSpeed);
  }
  low = std::max(low, 1e-6);
  high = std::max(high, low);
  LogAxis axis;
  axis.logLow = std::log(low) - 0.1;
  axis.logHigh = std::log(high) + 0.1;
  return axis;
}

std::string Line(double x, double y1, double y2, const char* extra) {
  const std::string at = FixedText(x, 1);
  return "<line x1=\"" + at + "\" x2=\"" + at + "\" y1=\"" + FixedText(y1, 1) + "\" y2=\"" +
         FixedText(y2, 1) + "\" " + extra + "/>";
}

std::string Label(double x, double y, const std::string& text, const char* anchor) {
  return "<text class=\"muted\" x=\"" + FixedText(x, 1) + "\" y=\"" + FixedText(y, 1) + "\" text-anchor=\"" +
         anchor + "\">" + text + "</text>";
}

std::string Fences(const LogAxis& axis, const OutlierFences& fences) {
  if (!fences.active) return std::string();
  std::string svg;
  for (double speed : {fences.lowSpeed, fences.highSpeed}) {
    const double x = axis.X(speed);
    svg += Line(x, TOP - 6, TOP + HEIGHT, "class=\"fence\" stroke=\"#c0392b\" stroke-dasharray=\"4 3\"");
    svg += Label(x, TOP - 8, "fence " + FixedText(speed, 3), x < LEFT + WIDTH / 2 ? "start" : "end");
  }
  return svg;
}

std::string Box(const LogAxis& axis, const DriveSummary& s) {
  const double x1 = axis.X(s.lowerQuartileSpeed), x3 = axis.X(s.upperQuartileSpeed);
  return "<rect class=\"middle-half\" x=\"" + FixedText(x1, 1) + "\" y=\"" + FixedText(TOP + 8, 1) +
         "\" width=\"" + FixedText(std::max(x3 - x1, 1.0), 1) + "\" height=\"" + FixedText(HEIGHT - 16, 1) +
         "\" fill=\"#e4f4e4\" stroke=\"#407840\"/>" +
         Line(axis.X(s.medianSpeed), TOP + 8, TOP + HEIGHT - 8, "stroke=\"#407840\" stroke-width=\"2\"");
}

// Each sampled result a dot, spread up and down by its place in the
// sample so that equal speeds do not hide one another.
std::string Dots(const LogAxis& axis, const DriveFigures& figures, const OutlierFences& fences) {
  std::string svg;
  const auto& speeds = figures.sampleSpeeds;
  for (size_t i = 0; i < speeds.size(); ++i) {
    const double y = TOP + 12 + static_cast<double>((i * 23) % 37);
    const bool outlier = IsOutlier(fences, speeds[i]);
    svg += "<circle class=\"" + std::string(outlier ? "dot outlier" : "dot") + "\" cx=\"" +
           FixedText(axis.X(speeds[i]), 1) + "\" cy=\"" + FixedText(y, 1) + "\" r=\"" +
           (outlier ? "3.5" : "2.5") + "\" fill=\"" + (outlier ? "#d9822b" : "#50c850") +
           "\" fill-opacity=\"0.7\"><title>" + FixedText(speeds[i], 3) + " MB/s</title></circle>";
  }
  return svg;
}

}  // namespace

std::string DriveStripSvg(const DriveFigures& figures, const OutlierFences& fences) {
  const DriveSummary& s = figures.summary;
  const LogAxis axis = AxisFor(figures, fences);
  const int count = static_cast<int>(figures.sampleSpeeds.size());
  const std::string shown = count >= s.count ? "every result"
                                             : std::to_string(count) + " of its " + std::to_string(s.count) +
                                                   " results, evenly spaced from the fastest to the slowest";
  std::string svg = "<svg class=\"chart\" id=\"drive-strip\" width=\"580\" height=\"" +
                    FixedText(TOP + HEIGHT + 34, 0) + "\" viewBox=\"0 0 580 " +
                    FixedText(TOP + HEIGHT + 34, 0) +
                    "\" role=\"img\" aria-label=\"this drive model's results by speed\">" + Box(axis, s) +
                    Fences(axis, fences) + Dots(axis, figures, fences);
  svg += "<line x1=\"" + FixedText(LEFT, 1) + "\" x2=\"" + FixedText(LEFT + WIDTH, 1) + "\" y1=\"" +
         FixedText(TOP + HEIGHT, 1) + "\" y2=\"" + FixedText(TOP + HEIGHT, 1) + "\" stroke=\"#8a9a8a\"/>";
  svg += Label(axis.X(s.worstSpeed), TOP + HEIGHT + 14, FixedText(s.worstSpeed, 3), "middle");
  svg += Label(axis.X(s.bestSpeed), TOP + HEIGHT + 14, FixedText(s.bestSpeed, 3), "middle");
  svg += Label(LEFT + WIDTH / 2, TOP + HEIGHT + 30, "MB/s, log scale: " + shown, "middle");
  return svg + "</svg>";
}

}  // namespace qm
