#pragma once
// The sector index's day as an inline SVG line chart, in the manner of a terminal's
// intraday chart: the previous close across the middle, the scale symmetric about it, the
// value on the left and the move in percent on the right.

#include <cstdint>
#include <string>

#include "hosts/demo/sample_market.h"

namespace kvt::demo {

// The page's class for a move: "up" (shown red), "down" (green) or "flat".
const char* MoveClass(std::int64_t change);

// An <svg> element whose colours come from the page's "up", "down" and "flat" classes
// through currentColor.
std::string RenderIndexChart(const SampleSector& sector);

}  // namespace kvt::demo
