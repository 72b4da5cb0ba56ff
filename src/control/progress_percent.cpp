#include "control/progress_percent.h"

#include <cmath>
#include <limits>

#include "base/double_rounding_scope.h"

namespace kvt::control {

std::int32_t ProgressPercent(std::int32_t progress, std::int32_t progress_max) {
    if (progress_max == 0) {
        return 0;
    }
    // The host's floating-point settings would otherwise decide the digits: 23 of 40 is
    // 57.5 at a 24-bit significand, 7 of 40 is 17.49999999999999 when rounding toward zero.
    const DoubleRoundingScope double_rounding;
    // The quotient is taken in double and then scaled, so a value such as 23 of 40 is
    // 57.49999999999999 and shows 57, as hosts of this control have always shown it.
    const double quotient = static_cast<double>(progress) / progress_max;
    const double percent = quotient * 100.0;
    if (percent > 100.0) {
        return 100;
    }
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    if (percent < kLowest) {
        return std::numeric_limits<std::int32_t>::min();
    }
    // Round half to even: the scope's rounding.
    return static_cast<std::int32_t>(std::nearbyint(percent));
}

}  // namespace kvt::control
