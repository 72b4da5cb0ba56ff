#include "browser/url_text.h"

#include "base/hex.h"

namespace kvt::browser {

namespace {

// The value of a hexadecimal digit, or -1; a character beyond ASCII is never one.
int HexDigit(char16_t c) {
    return c < 0x80 ? HexDigitValue(static_cast<char>(c)) : -1;
}

bool IsRestored(int value) {
    return value == '{' || value == '}' || value == '"' || value == '\'' || value == '`';
}

}  // namespace

WideString RestorePageWrittenUrl(std::u16string_view canonical) {
    WideString text;
    text.reserve(canonical.size());
    for (std::size_t i = 0; i < canonical.size(); ++i) {
        if (canonical[i] == u'%' && i + 2 < canonical.size()) {
            const int high = HexDigit(canonical[i + 1]);
            const int low = HexDigit(canonical[i + 2]);
            if (high >= 0 && low >= 0 && IsRestored(high * 16 + low)) {
                text += static_cast<char16_t>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        text += canonical[i];
    }
    return text;
}

}  // namespace kvt::browser
