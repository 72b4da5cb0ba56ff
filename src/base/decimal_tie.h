#pragma once
// Whether a binary floating-point value lies exactly halfway between two decimals of a
// given number of significant digits: the case where rounding to that many digits must
// choose a direction instead of taking the nearer neighbour.

namespace kvt {

// True when `magnitude`, with 10^(e-1) <= magnitude < 10^e, is exactly halfway between two
// decimals of `digits` significant digits. False for zero, negative, infinite and NaN
// values, which are never ties.
bool IsExactDecimalTie(long double magnitude, int e, int digits);

}  // namespace kvt
