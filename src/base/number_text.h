#pragma once
// Number <-> text in the system's fixed forms: "." as decimal separator whatever the locale.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvt {

// General format with 15 significant digits: whole numbers of up to 15 digits print
// plainly, small and large magnitudes in scientific form ("1E-5", "1.23456789012346E15").
// Infinities and NaN give "INF", "-INF" and "NAN".
std::string FormatFloatGeneral(long double value);

// Appends the same text to `out`.
void AppendFloatGeneral(std::string& out, long double value);

// The longest text of the general format ("-1.23456789012346E-4951" and the like).
inline constexpr std::size_t kFloatGeneralMaxLength = 32;

// Writes the same text at `at`, which has room for kFloatGeneralMaxLength bytes; returns
// the end of the text. For hot paths that build one buffer: unlike the two functions
// above, it leaves the x87 settings as they are, so the caller holds an
// ExtendedPrecisionScope (base/extended_precision_scope.h) around its whole run.
char* WriteFloatGeneral(char* at, long double value);

// Decimal 32-bit integer with an optional sign and surrounding blanks; false when the
// text is not one or is out of range.
bool TryParseInt32(std::string_view text, std::int32_t& value);

// As TryParseInt32, raising EConvertError "'%s' is not a valid integer value" on failure.
std::int32_t StrToInt(std::string_view text);

// Decimal text of a float; optional sign, digits, fraction, exponent. False on any other
// form or when the value is out of range for a double.
bool TryParseDouble(std::string_view text, double& value);

}  // namespace kvt
