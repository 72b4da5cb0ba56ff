#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

TEST(FormatFloatGeneral, ExactTiesAtTheFifteenthDigitRoundAwayFromZero) {
    const struct {
        long double value;
        const char* text;
    } cases[] = {
        {100000000000000.5L, "100000000000001"},
        {-100000000000000.5L, "-100000000000001"},
        {1234567890123.125L, "1234567890123.13"},
        {-1234567890123.125L, "-1234567890123.13"},
        {1234567890123445.0L, "1.23456789012345E15"},   // the tie lies left of the point
        {10000000000000050.0L, "1.00000000000001E16"},  // and two places left
        {0x1p-22L, "2.38418579101563E-7"},              // 2.384185791015625E-7
        {999999999999999.5L, "1E15"},                   // the carry reaches the exponent
        // Near ties decide on the exact binary value, not on a 16-digit rounding of it.
        {0.1234567890123455, "0.123456789012345"},  // ...34549695... as a double
        {100000000000000.484375L, "100000000000000"},
        {100000000000000.5L + 0x1p-10L, "100000000000001"},
        {100000000000000.5L - 0x1p-10L, "100000000000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFloatGeneral(c.value), c.text) << static_cast<double>(c.value);
    }
    if constexpr (std::numeric_limits<long double>::digits > 53) {
        // Ties that only the extended type holds.
        EXPECT_EQ(FormatFloatGeneral(123456789012344500.0L), "1.23456789012345E17");
        EXPECT_EQ(FormatFloatGeneral(-123456789012344500.0L), "-1.23456789012345E17");
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

// A positive value rounded to 15 significant digits, ties away from zero, from the C
// library's exact decimal expansion (its 200 digits hold every value the test makes).
std::string RoundedReference(long double value) {
    char exact[300];
    std::snprintf(exact, sizeof exact, "%.200Le", value);
    std::string digits(1, exact[0]);
    digits.append(exact + 2, 14);
    const char* exponent = std::strchr(exact, 'e');
    if (exact[16] >= '5') {  // the 16th digit and the rest: a half or more rounds up
        int i = 14;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
            digits[static_cast<std::size_t>(i--)] = '0';
        }
        if (i < 0) {
            return "1e" + std::to_string(std::atoi(exponent + 1) + 1);
        }
        ++digits[static_cast<std::size_t>(i)];
    }
    return digits.substr(0, 1) + "." + digits.substr(1) + exponent;
}

TEST(FormatFloatGeneral, RoundsExtendedValuesExactlyLikeAFullPrecisionConversion) {
    // Extended values that are not doubles take shortcuts; compare against the C
    // library's exact expansion on many of them (exact ties among them).
    std::mt19937_64 random(1234);
    for (int i = 0; i < 200000; ++i) {
        const long double base = static_cast<long double>(random() % 1000000007) / 997.0L;
        const long double value = std::ldexp(base, static_cast<int>(random() % 80) - 40);
        const std::string reference = RoundedReference(value);
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
