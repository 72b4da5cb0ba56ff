#pragma once
// The arithmetic of the progress window: bar fill, bar text and centring.

#include <cstdint>

#include "base/text.h"

namespace kvt::ui {

// The bar's place and look inside the progress window.
inline constexpr int kBarLeft = 20;
inline constexpr int kBarTop = 82;
inline constexpr int kBarWidth = 174;
inline constexpr int kBarHeight = 16;
inline constexpr int kBarBorderWidth = 1;
inline constexpr std::uint32_t kBarColourRgb = 0xFF8040;  // also the text colour off the fill
inline constexpr std::uint32_t kBarBackColourRgb = 0xFFFFFF;

// The width inside the border; never negative.
int BarInnerWidth(int bar_width, int border_width);

// The filled part from the left: percent x inner width / 100, to the nearest pixel (an
// exact half goes to the even pixel). 100 or more fills the bar; below 0 fills nothing.
int BarFillWidth(int percent, int inner_width);

// "%u%%" of the percent. A negative percent shows as 0 rather than as its unsigned
// reinterpretation (4294967295%).
AnsiString PercentText(int percent);

struct Point {
    int left = 0;
    int top = 0;
    bool operator==(const Point&) const = default;
};

// The top-left corner that centres a window in a parent area; division truncates toward
// zero, so a smaller parent gives a negative offset.
Point CenteredOrigin(int parent_width, int parent_height, int own_width, int own_height);

}  // namespace kvt::ui
