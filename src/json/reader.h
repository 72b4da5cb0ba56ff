#pragma once
// JSON text -> value tree: a lenient recursive-descent reader over the bytes of the text.
// Commas between elements are optional, one trailing comma is accepted, a number may
// carry a leading "+", and text after the first value is ignored. Any malformed input
// yields nullptr; partial results are owned by unique_ptr and freed on every path.
//
// String contents are UTF-8. One- to three-byte sequences give one UTF-16 unit each
// (without checks for overlong forms); four-byte sequences give a surrogate pair. A byte
// that cannot start a sequence, a wrong or missing continuation byte, or a sequence cut
// off at the end makes the whole string value empty; the parse itself goes on.

#include <memory>
#include <string_view>

#include "json/value.h"

namespace kvt::json {

// The root of the text's first value, or nullptr for any malformed input.
std::unique_ptr<TqxJSONbase> ParseJson(std::string_view text);

}  // namespace kvt::json
