#pragma once
// Range references rid{ID} inside URLs. A reference is "rid{", then the shortest run of
// characters other than a line feed, then "}"; references do not overlap and are found
// from left to right. The scan is linear in the URL's length and needs no stack beyond a
// few positions, whatever the URL holds.

#include <cstddef>
#include <optional>
#include <string_view>

#include "base/text.h"

namespace kvt::control {

struct RangeRef {
    std::size_t begin = 0;   // position of "rid{"
    std::size_t end = 0;     // one past the closing "}"
    std::u16string_view id;  // the text between the braces
};

// Finds the references of one text in order.
class RangeRefScanner {
  public:
    explicit RangeRefScanner(std::u16string_view text) : text_(text) {}
    std::optional<RangeRef> Next();

  private:
    std::u16string_view text_;
    std::size_t pos_ = 0;
    // The first "}" or line feed at or after the last candidate's opening brace; only
    // ever moves forward, which keeps the scan linear.
    std::size_t terminator_ = 0;
};

// The first reference in `text`.
std::optional<RangeRef> FindRangeRef(std::u16string_view text);

// `text` with every reference replaced by `replacement`, taken literally.
WideString ReplaceRangeRefs(std::u16string_view text, std::u16string_view replacement);

}  // namespace kvt::control
