#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

#include "base/errors.h"
#include "base/number_text.h"

namespace kvt {
namespace {

TEST(FormatFloatGeneral, FollowsTheGeneralFormatWithFifteenDigits) {
    const struct {
        long double value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {5, "5"},
        {100, "100"},
        {-2.5L, "-2.5"},
        {0.1, "0.1"},
        {0.0001L, "0.0001"},
        {0.00001L, "1E-5"},
        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E15"},
        {1234567890123456.0L, "1.23456789012346E15"},
        {1.0L / 3, "0.333333333333333"},
        {-1e-300L, "-1E-300"},
        {1.5e300L, "1.5E300"},
        {999999999999999.5L, "1E15"},
        {0.001234L, "0.001234"},
        {std::numeric_limits<long double>::infinity(), "INF"},
        {-std::numeric_limits<long double>::infinity(), "-INF"},
        {std::numeric_limits<long double>::quiet_NaN(), "NAN"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFloatGeneral(c.value), c.text) << static_cast<double>(c.value);
    }
}

TEST(StrToInt, AcceptsDecimalIntegersAndRejectsEverythingElse) {
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt(" -7 "), -7);
    EXPECT_EQ(StrToInt("+3"), 3);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    for (const char* bad : {"", "x", "1.5", "2147483648", "1 2", "+-1", "12a"}) {
        std::int32_t value = 0;
        EXPECT_FALSE(TryParseInt32(bad, value)) << bad;
    }
    try {
        StrToInt("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

}  // namespace
}  // namespace kvt

namespace kvt {
namespace {

// The text's value, read back at full precision.
long double ReadBack(const std::string& text) {
    return std::strtold(text.c_str(), nullptr);
}

TEST(FormatFloatGeneral, RoundsExtendedValuesExactlyLikeAFullPrecisionConversion) {
    // Extended values that are not doubles take a shortcut through the nearest double;
    // compare against the C library's extended conversion on many of them.
    std::mt19937_64 random(1234);
    for (int i = 0; i < 200000; ++i) {
        const long double base = static_cast<long double>(random() % 1000000007) / 997.0L;
        const long double value = std::ldexp(base, static_cast<int>(random() % 80) - 40);
        char reference[64];
        std::snprintf(reference, sizeof reference, "%.14Le", value);
        ASSERT_EQ(ReadBack(FormatFloatGeneral(value)), ReadBack(reference))
            << FormatFloatGeneral(value) << " vs " << reference;
    }
}

TEST(FormatFloatGeneral, WritesExtendedValuesOutsideTheRangeOfDouble) {
    if constexpr (std::numeric_limits<long double>::max_exponent >
                  std::numeric_limits<double>::max_exponent) {
        const struct {
            long double value;
            const char* text;
        } cases[] = {
            {2e900L, "2E900"},
            {-1.25e4000L, "-1.25E4000"},
            {1e-4000L, "1E-4000"},
            {3e-310L, "3E-310"},  // a double could hold it only as a subnormal
            {1.23456789012345678e-320L, "1.23456789012346E-320"},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(FormatFloatGeneral(c.value), c.text);
        }
    }
}

}  // namespace
}  // namespace kvt
