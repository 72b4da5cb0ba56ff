#include "base/decimal_tie.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace kvt {

// Decided on the exact binary value: with magnitude = odd * 2^low and the last digit's
// place 10^(e-digits), the value is a tie when 2 * magnitude / 10^(e-digits) is an odd
// integer.
bool IsExactDecimalTie(long double magnitude, int e, int digits) {
    if (!(magnitude > 0) || !std::isfinite(magnitude)) {
        return false;  // no significand to test, and the conversion below would be undefined
    }
    int binary_exponent = 0;
    const long double fraction = std::frexp(magnitude, &binary_exponent);
    constexpr int kBits = std::numeric_limits<std::uint64_t>::digits;
    static_assert(std::numeric_limits<long double>::digits <= kBits);
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, kBits));
    int low = binary_exponent - kBits;
    while ((mantissa & 1) == 0) {
        mantissa >>= 1;
        ++low;
    }
    const int k = digits - e;  // the last digit's place is 10^-k
    // 2 * odd * 2^low * 10^k = odd * 5^k * 2^(low + 1 + k): odd only when the power of
    // two vanishes, and for k < 0 an integer only when 5^-k divides the odd part.
    if (low + 1 + k != 0) {
        return false;
    }
    for (int i = 0; i < -k; ++i) {
        if (mantissa % 5 != 0) {
            return false;
        }
        mantissa /= 5;
    }
    return true;
}

}  // namespace kvt
