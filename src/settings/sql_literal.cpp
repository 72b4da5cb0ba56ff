#include "settings/sql_literal.h"

namespace kvt::settings {

// Byte-wise doubling is safe in the double-byte code pages too: the quote byte 0x27 is
// never the trail byte of a two-byte character.
AnsiString EscapeSqlLiteral(std::string_view text) {
    AnsiString out;
    out.reserve(text.size());
    for (const char c : text) {
        out.push_back(c);
        if (c == '\'') {
            out.push_back('\'');
        }
    }
    return out;
}

}  // namespace kvt::settings
