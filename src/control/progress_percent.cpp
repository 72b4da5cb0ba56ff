#include "control/progress_percent.h"

#include <limits>

namespace kvt::control {

namespace {

// floor(numerator / denominator) for a positive denominator, with the remainder.
std::int64_t FloorDivide(std::int64_t numerator, std::int64_t denominator,
                         std::int64_t& remainder) {
    std::int64_t quotient = numerator / denominator;
    remainder = numerator % denominator;
    if (remainder < 0) {
        --quotient;
        remainder += denominator;
    }
    return quotient;
}

}  // namespace

std::int32_t ProgressPercent(std::int32_t progress, std::int32_t progress_max) {
    if (progress_max == 0) {
        return 0;
    }
    // Integer arithmetic keeps exact halves exact; floating point can move them.
    std::int64_t numerator = std::int64_t{progress} * 100;
    std::int64_t denominator = progress_max;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    if (numerator > 100 * denominator) {
        return 100;
    }
    std::int64_t remainder = 0;
    std::int64_t percent = FloorDivide(numerator, denominator, remainder);
    if (2 * remainder > denominator || (2 * remainder == denominator && percent % 2 != 0)) {
        ++percent;
    }
    constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(percent < kLowest ? kLowest : percent);
}

}  // namespace kvt::control
