#pragma once
// The load progress that the browser reports, as the percentage the bar shows.

#include <cstdint>

namespace kvt::control {

// progress / progress_max x 100 in double precision (the quotient first): above 100 gives
// 100; no lower bound beyond the 32-bit range; the nearest integer, a half going to the
// even one; 0 when progress_max is 0.
std::int32_t ProgressPercent(std::int32_t progress, std::int32_t progress_max);

}  // namespace kvt::control
