#pragma once
// Hexadecimal digits in text escapes ("\u00e9", "%E4").

namespace kvt {

// The digits of a value from 0 to 15, uppercase.
inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

// The value of a hexadecimal digit of either case, or -1 for any other character. `Char`
// is a character type (char, char16_t).
template <typename Char>
constexpr int HexDigitValue(Char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The byte that two hexadecimal digits spell ("E4" gives 0xE4), or -1 when either is not
// a digit.
template <typename Char>
constexpr int HexByteValue(Char high, Char low) {
    const int high_value = HexDigitValue(high);
    const int low_value = HexDigitValue(low);
    return high_value >= 0 && low_value >= 0 ? high_value * 16 + low_value : -1;
}

}  // namespace kvt
