#pragma once
// Value tree -> compact JSON text: no whitespace, members and elements in tree order,
// strings as UTF-8 with a fixed set of escapes, numbers in the general format with 15
// significant digits. Infinite and NaN numbers are written as null, so that the output
// always reads back.

#include "base/text.h"
#include "json/value.h"

namespace kvt::json {

// Compact JSON text of `value`; empty for nullptr.
AnsiString FormatJson(const TqxJSONbase* value);

}  // namespace kvt::json
