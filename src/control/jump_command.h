#pragma once
// The in-page command protocol: URLs of the private scheme "zq://".

#include <string_view>

#include "base/text.h"

namespace kvt::control {

inline constexpr std::string_view kCommandPrefix = "zq://";

struct TJumpCommand {
    AnsiString Command;  // empty when the URL carries no command
    AnsiString Param1;
    AnsiString Param2;
};

// Finds the first "zq://" anywhere in `text` (case-sensitive) and splits what follows
// into segments, of which the first three fill the fields:
// - "/", CR and LF separate segments; CR and LF at the start of a segment are skipped;
// - a single or double quote opens a run that ends at the same quote character, inside
//   which nothing separates; the quotes stay in the segment;
// - empty segments are dropped;
// - the text ends at its end or at a zero byte.
TJumpCommand ParseJumpCommand(std::string_view text);

}  // namespace kvt::control
