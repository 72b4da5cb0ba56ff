#pragma once
// The text of a URL as the page wrote it, as far as it can be recovered from the engine's
// canonical form.

#include <string_view>

#include "base/text.h"

namespace kvt::browser {

// Undoes the engine's escaping of the characters that carry meaning for the control's
// rules: braces (range references), quotes and the grave accent (quoted command
// segments). Every other escape stays as it is, so the URL still means the same when it
// is navigated again.
WideString RestorePageWrittenUrl(std::u16string_view canonical);

}  // namespace kvt::browser
