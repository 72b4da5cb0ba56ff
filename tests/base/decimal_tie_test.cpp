#include <gtest/gtest.h>

#include <limits>

#include "base/decimal_tie.h"

namespace kvt {
namespace {

TEST(IsExactDecimalTie, TellsHalfwayValuesFromTheirNeighbours) {
    struct TieCase {
        long double magnitude;
        int e;
        int digits;
        bool tie;
    };
    constexpr long double kInfinity = std::numeric_limits<long double>::infinity();
    const TieCase cases[] = {
        {2.5L, 1, 1, true},    // between 2 and 3
        {25.0L, 2, 1, true},   // between 20 and 30: the place is left of the point
        {125.0L, 3, 2, true},  // 120 and 130: 5 must divide the odd part
        {0.125L, 0, 2, true},  // 0.12 and 0.13
        {100000000000000.5L, 15, 15, true},
        {1234567890123.125L, 13, 15, true},
        {0.375L, 0, 1, false},  // a multiple of 2^-3, but not of half a tenth
        {0.1L, 0, 1, false},    // not exactly a tenth in binary
        {35.0L, 2, 2, false},   // exactly two digits already
        {13.0L, 2, 1, false},   // odd, but not a multiple of 5 as 15 would be
        {2.5000000000000004L, 1, 1, false},
        // Values with no significand to test stop at once.
        {0.0L, 1, 15, false},
        {-2.5L, 1, 1, false},
        {kInfinity, 1, 15, false},
        {std::numeric_limits<long double>::quiet_NaN(), 1, 15, false},
    };
    for (const TieCase& c : cases) {
        EXPECT_EQ(IsExactDecimalTie(c.magnitude, c.e, c.digits), c.tie)
            << static_cast<double>(c.magnitude) << " to " << c.digits << " digits";
    }
}

}  // namespace
}  // namespace kvt
