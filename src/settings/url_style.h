#pragma once
// The URL-style form encoding used for the content request body and for text values
// inside stored settings.

#include <string_view>

#include "base/text.h"

namespace kvt::settings {

// Copies letters, digits and the marks ! $ ' ( ) * - . @ _, turns a space into "+" and
// every other byte into "%XX" (uppercase hex). A zero byte ends the input.
AnsiString EncodeUrlStyle(std::string_view text);

// The inverse: "+" gives a space, "%%" one "%", "%XY" the byte 0xXY (either case).
// Raises Exception for a "%" without two following bytes and EConvertError for a "%"
// followed by two bytes that are not hexadecimal digits.
AnsiString DecodeUrlStyle(std::string_view text);

}  // namespace kvt::settings
