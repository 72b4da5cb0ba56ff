#pragma once
// Text placed inside a single-quoted SQL literal.

#include <string_view>

#include "base/text.h"

namespace kvt::settings {

// Doubles every single quote, so that the text stays one literal and the database
// stores it unchanged. No other character ends a standard SQL literal.
AnsiString EscapeSqlLiteral(std::string_view text);

}  // namespace kvt::settings
