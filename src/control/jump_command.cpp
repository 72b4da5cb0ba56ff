#include "control/jump_command.h"

#include <array>

namespace kvt::control {

namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

bool IsQuote(char c) {
    return c == '\'' || c == '"';
}

// The end of the segment starting at `pos`: the first separator outside quotes.
std::size_t SegmentEnd(std::string_view text, std::size_t pos) {
    char quote = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (IsQuote(c)) {
            quote = c;
        } else if (c == '/' || IsLineBreak(c)) {
            break;
        }
    }
    return pos;
}

}  // namespace

TJumpCommand ParseJumpCommand(std::string_view text) {
    TJumpCommand command;
    const std::size_t prefix = text.find(kCommandPrefix);
    if (prefix == std::string_view::npos) {
        return command;
    }
    std::string_view rest = text.substr(prefix + kCommandPrefix.size());
    rest = rest.substr(0, rest.find('\0'));

    const std::array<AnsiString*, 3> fields = {&command.Command, &command.Param1, &command.Param2};
    std::size_t filled = 0;
    std::size_t pos = 0;
    while (filled < fields.size() && pos < rest.size()) {
        while (pos < rest.size() && IsLineBreak(rest[pos])) {
            ++pos;
        }
        const std::size_t end = SegmentEnd(rest, pos);
        if (end > pos) {
            *fields[filled++] = AnsiString(rest.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return command;
}

}  // namespace kvt::control
