#include "browser/url_text.h"

#include "base/hex.h"

namespace kvt::browser {

namespace {

bool IsRestored(int value) {
    return value == '{' || value == '}' || value == '"' || value == '\'' || value == '`';
}

}  // namespace

WideString RestorePageWrittenUrl(std::u16string_view canonical) {
    WideString text;
    text.reserve(canonical.size());
    for (std::size_t i = 0; i < canonical.size(); ++i) {
        if (canonical[i] == u'%' && i + 2 < canonical.size()) {
            const int byte = HexByteValue(canonical[i + 1], canonical[i + 2]);
            if (byte >= 0 && IsRestored(byte)) {
                text += static_cast<char16_t>(byte);
                i += 2;
                continue;
            }
        }
        text += canonical[i];
    }
    return text;
}

}  // namespace kvt::browser
