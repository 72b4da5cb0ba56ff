#include "control/progress_percent.h"

#include <cmath>
#include <limits>

namespace kvt::control {

namespace {

// Rounds to double precision: on an x87 FPU (32-bit x86) intermediates may otherwise keep
// extended precision and round a value such as 57.49999999999999 up to 57.5.
double AsDouble(double value) {
    const volatile double stored = value;
    return stored;
}

}  // namespace

std::int32_t ProgressPercent(std::int32_t progress, std::int32_t progress_max) {
    if (progress_max == 0) {
        return 0;
    }
    // The quotient is taken in double and then scaled, so a value such as 23 of 40 is
    // 57.49999999999999 and shows 57, as hosts of this control have always shown it.
    const double quotient = AsDouble(static_cast<double>(progress) / progress_max);
    const double percent = AsDouble(quotient * 100.0);
    if (percent > 100.0) {
        return 100;
    }
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    if (percent < kLowest) {
        return std::numeric_limits<std::int32_t>::min();
    }
    // Round half to even: the default floating-point rounding mode.
    return static_cast<std::int32_t>(std::nearbyint(percent));
}

}  // namespace kvt::control
