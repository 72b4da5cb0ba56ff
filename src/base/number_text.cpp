#include "base/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/decimal_tie.h"
#include "base/double_rounding_scope.h"
#include "base/errors.h"
#include "base/exact_powers_of_ten.h"
#include "base/extended_precision_scope.h"
#include "base/format.h"

namespace kvt {
namespace {

constexpr int kPrecision = 15;

// Digits d1..dn (no trailing zeros) and exponent E with value = 0.d1..dn * 10^E.
struct Decimal {
    char digits[kPrecision];
    int count = 0;
    int exponent = 0;
};

void StripTrailingZeros(Decimal& decimal) {
    while (decimal.count > 0 && decimal.digits[decimal.count - 1] == '0') {
        --decimal.count;
    }
}

// Adds one unit in the last of 15 digits; 99...9 becomes 100...0 and the function
// answers 1, the rise of the decimal exponent (0 otherwise).
int RoundUpLastDigit(char* digits) {
    int i = kPrecision - 1;
    while (i >= 0 && digits[i] == '9') {
        digits[i--] = '0';
    }
    if (i >= 0) {
        ++digits[i];
        return 0;
    }
    digits[0] = '1';
    return 1;
}

// Reads the digits and exponent of to_chars' scientific text "d.ddd...e[+-]xx".
int ReadScientific(const char* text, const char* end, char* digits, int wanted) {
    int count = 0;
    const char* p = text;
    for (; p < end && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9' && count < wanted) {
            digits[count++] = *p;
        }
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    return exponent;
}

// Rounds `magnitude` to 15 significant digits with the extended type's own conversion.
int ExtendedDigits(long double magnitude, char* digits) {
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific,
                                 kPrecision - 1);
    return ReadScientific(text, r.ptr, digits, kPrecision);
}

// Rounds the digits of an exact tie away from zero: the 16 significant digits of a tie
// are its exact value, so the first 15 are the truncation, and one unit goes on top.
void RoundTieAwayFromZero(long double magnitude, Decimal& decimal) {
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific,
                                 kPrecision);
    char digits[kPrecision + 1];
    int exponent = ReadScientific(text, r.ptr, digits, kPrecision + 1);
    std::copy(digits, digits + kPrecision, decimal.digits);
    exponent += RoundUpLastDigit(decimal.digits);
    decimal.exponent = exponent + 1;
}

// The common case without any decimal conversion: magnitude * 10^(15-e), with e its
// decimal exponent, is one multiplication or division by an exact power of ten, so it
// is the exact product rounded once (an error below 2^-14 with a 64-bit significand, the
// product being below 2^50). Rounding it to an integer gives the 15 digits unless its
// fraction lies near one half; those values, exact ties among them, and magnitudes that
// need powers beyond the exact ones are left to the full conversion (false).
bool FastDigits(long double magnitude, Decimal& decimal) {
    if (std::numeric_limits<long double>::digits < 64 || !(magnitude >= 1e-11L) ||
        !(magnitude < 1e40L)) {
        return false;
    }
    // An estimate of e from the binary exponent (of the nearest double, which may be one
    // more), corrected below.
    const auto bits = std::bit_cast<std::uint64_t>(static_cast<double>(magnitude));
    const int binary_exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
    int e = ((binary_exponent * 78913) >> 18) + 1;  // 78913 / 2^18 is log10(2) to 6 digits
    long double scaled = 0;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 3) {
            return false;
        }
        const int k = kPrecision - e;
        if (k > kExactPowersOfTen || k < -kExactPowersOfTen) {
            return false;
        }
        scaled = k >= 0 ? magnitude * ExactPowerOfTen(k) : magnitude / ExactPowerOfTen(-k);
        if (scaled < 1e14L) {
            --e;
        } else if (scaled >= 1e15L) {
            ++e;
        } else {
            break;
        }
    }
    // floor(scaled) without converting an extended value to an integer (which switches the
    // x87 rounding mode twice): adding 2^63 leaves no fraction bits, so the sum less 2^63
    // is an integer within one of `scaled` (the nearest one in the default rounding mode).
    // The difference is then exact, and the whole part, below 2^50, is a double.
    long double whole_part = (scaled + 0x1p63L) - 0x1p63L;
    long double fraction = scaled - whole_part;
    if (fraction < 0) {
        whole_part -= 1;
        fraction += 1;
    }
    auto whole = static_cast<std::uint64_t>(static_cast<double>(whole_part));
    constexpr long double kMargin = 1.0L / 1024;
    if (fraction > 0.5L - kMargin && fraction < 0.5L + kMargin) {
        return false;
    }
    if (fraction > 0.5L) {
        ++whole;
    }
    if (whole == 1000000000000000u) {  // 99...9.5 and up carry into the next decade
        whole = 100000000000000u;
        ++e;
    }
    std::to_chars(decimal.digits, decimal.digits + kPrecision, whole);
    decimal.count = kPrecision;
    decimal.exponent = e;
    return true;
}

// Rounds `magnitude` to 15 significant digits, exactly as the extended value demands.
Decimal ToDecimal(long double magnitude) {
    char text[64];
    Decimal decimal;
    if (FastDigits(magnitude, decimal)) {
        StripTrailingZeros(decimal);
        return decimal;
    }
    const auto narrow = static_cast<double>(magnitude);
    int exponent = 0;
    if (static_cast<long double>(narrow) == magnitude) {
        const auto r = std::to_chars(text, text + sizeof text, narrow,
                                     std::chars_format::scientific, kPrecision - 1);
        exponent = ReadScientific(text, r.ptr, decimal.digits, kPrecision);
    } else if (!std::isnormal(narrow)) {
        // Beyond double's range (infinite) or below its normal range (subnormal or zero):
        // the nearest double says nothing about the digits.
        exponent = ExtendedDigits(magnitude, decimal.digits);
    } else {
        // The double nearest the value is within 2^-53 of it, less than 12 units of the
        // 17th significant digit; its 17-digit text adds half a unit. Unless the 16th and
        // 17th digits lie that close to the halfway point 50, rounding that text to 15
        // digits gives what rounding the extended value gives. Only near-ties take the
        // slow extended conversion.
        char digits[17];
        const auto r =
            std::to_chars(text, text + sizeof text, narrow, std::chars_format::scientific, 16);
        exponent = ReadScientific(text, r.ptr, digits, 17);
        const int tail = (digits[15] - '0') * 10 + (digits[16] - '0');
        if (tail < 38 || tail > 62) {
            std::copy(digits, digits + kPrecision, decimal.digits);
            if (tail > 50) {
                exponent += RoundUpLastDigit(decimal.digits);
            }
        } else {
            exponent = ExtendedDigits(magnitude, decimal.digits);
        }
    }
    decimal.count = kPrecision;
    decimal.exponent = exponent + 1;
    // The conversions above round exact ties to even; ties go away from zero here.
    if (IsExactDecimalTie(magnitude, decimal.exponent, kPrecision)) {
        RoundTieAwayFromZero(magnitude, decimal);
    }
    StripTrailingZeros(decimal);
    return decimal;
}

}  // namespace

char* WriteFloatGeneral(char* at, long double value) {
    const auto put = [&at](const char* text, std::size_t count) {
        std::memcpy(at, text, count);
        at += count;
    };
    if (std::isnan(value)) {
        put("NAN", 3);
        return at;
    }
    if (std::isinf(value)) {
        if (value < 0) {
            *at++ = '-';
        }
        put("INF", 3);
        return at;
    }
    if (value == 0) {
        *at++ = '0';
        return at;
    }
    if (value < 0) {
        *at++ = '-';
        value = -value;
    }
    const Decimal d = ToDecimal(value);
    const int e = d.exponent;
    const auto count = static_cast<std::size_t>(d.count);
    if (e > kPrecision || e < -3) {
        *at++ = d.digits[0];
        if (count > 1) {
            *at++ = '.';
            put(d.digits + 1, count - 1);
        }
        *at++ = 'E';
        return std::to_chars(at, at + 8, e - 1).ptr;
    }
    if (e <= 0) {
        put("0.000", static_cast<std::size_t>(2 - e));
        put(d.digits, count);
    } else if (d.count <= e) {
        put(d.digits, count);
        std::memset(at, '0', static_cast<std::size_t>(e - d.count));
        at += e - d.count;
    } else {
        put(d.digits, static_cast<std::size_t>(e));
        *at++ = '.';
        put(d.digits + e, static_cast<std::size_t>(d.count - e));
    }
    return at;
}

void AppendFloatGeneral(std::string& out, long double value) {
    const ExtendedPrecisionScope extended;
    char text[kFloatGeneralMaxLength];
    out.append(text, WriteFloatGeneral(text, value));
}

std::string FormatFloatGeneral(long double value) {
    std::string out;
    AppendFloatGeneral(out, value);
    return out;
}

bool TryParseInt32(std::string_view text, std::int32_t& value) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32) {
        ++first;
    }
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) {
        --last;
    }
    const char* begin = text.data() + first;
    const char* end = text.data() + last;
    if (begin < end && *begin == '+') {
        ++begin;
        if (begin < end && *begin == '-') {
            return false;
        }
    }
    if (begin == end) {
        return false;
    }
    std::int32_t parsed = 0;
    const auto result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end) {
        return false;
    }
    value = parsed;
    return true;
}

std::int32_t StrToInt(std::string_view text) {
    std::int32_t value = 0;
    if (!TryParseInt32(text, value)) {
        throw EConvertError(Format("'%.*s' is not a valid integer value",
                                   static_cast<int>(text.size()), text.data()));
    }
    return value;
}

bool TryParseDouble(std::string_view text, double& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin < end && *begin == '+') {
        ++begin;
    }
    double parsed = 0;
    // The conversion's short path multiplies or divides by an exact power of ten in double.
    const DoubleRoundingScope double_rounding;
    const auto result = std::from_chars(begin, end, parsed, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || begin == end) {
        return false;
    }
    value = parsed;
    return true;
}

}  // namespace kvt
