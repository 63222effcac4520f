// The board's speed bars and the labels above them, on the board's scale
// (results/scale_position.h).
#pragma once

#include <string>

#include "results/scale_position.h"

namespace qm {

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
