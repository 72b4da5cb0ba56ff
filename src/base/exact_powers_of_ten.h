#pragma once
// Powers of ten that long double holds exactly, for conversions that scale by one of them
// and so round only once.

#include <array>
#include <cstddef>

namespace kvt {

// 5^27 < 2^64: with a 64-bit significand, 10^0 .. 10^27 are exact.
inline constexpr int kExactPowersOfTen = 27;

inline constexpr std::array<long double, kExactPowersOfTen + 1> kExactPowerOfTenTable = [] {
    std::array<long double, kExactPowersOfTen + 1> powers{};
    powers[0] = 1;
    for (std::size_t i = 1; i < powers.size(); ++i) {
        powers[i] = powers[i - 1] * 10;
    }
    return powers;
}();

// 10^exponent for 0 <= exponent <= kExactPowersOfTen.
inline long double ExactPowerOfTen(int exponent) {
    return kExactPowerOfTenTable[static_cast<std::size_t>(exponent)];
}

}  // namespace kvt
