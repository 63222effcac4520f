// The board's speed scale. Its first part is the program's own: 0 to
// 1.70 MB/s, linear, labelled VERY SLOW to VERY FAST as the picture above
// the speed bar is, so a reference drive sits where the comparison window
// draws it. Beyond 1.70 MB/s, where the program's bar is simply full, the
// scale goes on logarithmically up to the fastest speed a result can have
// (an average of 1 ms), so faster results are still told apart.
#pragma once

#include <string>

#include "engine/speed.h"

namespace qm {

constexpr double SCALE_FULL_SPEED = SPEED_BAR_MAXIMUM / 100.0;  // MB/s where the program's bar is full
constexpr double SCALE_TOP_SPEED = 2000.0;                      // above 1953 MB/s, the speed of 1 ms
constexpr double SCALE_PROGRAM_SHARE = 0.70;                    // of the width, for 0..1.70 MB/s

// Where a speed lies on the scale: 0 (left) to 1 (right). NaN and negative
// speeds give 0; speeds beyond the top give 1.
double ScalePosition(double mbPerSecond);

enum class BarKind { Result, Reference, Highlight };

// One bar as inline SVG, BAR_WIDTH x BAR_HEIGHT, with the boundary of the
// program's scale drawn as a faint tick. Its program part is 259 pixels
// wide, as the program's scale picture is. A narrow page may draw it
// narrower: it stretches to the box it is given.
constexpr int BAR_WIDTH = 370;
constexpr int BAR_HEIGHT = 12;
std::string SpeedBarSvg(double mbPerSecond, BarKind kind);

// The labels above a column of bars: the five words over the program's
// part, then the speeds of the extension.
std::string ScaleLabelsSvg();

// "1.329" style text: fixed point with the given decimals.
std::string FixedText(double value, int decimals);

}  // namespace qm
