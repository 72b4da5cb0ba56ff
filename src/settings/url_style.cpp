#include "settings/url_style.h"

#include "base/errors.h"
#include "base/format.h"
#include "base/hex.h"

namespace kvt::settings {
namespace {

bool IsCopiedAsIs(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        return true;
    }
    constexpr std::string_view kMarks = "!$'()*-.@_";
    return kMarks.find(c) != std::string_view::npos;
}

// Positions in messages are 1-based byte positions of the "%".
int MessagePosition(std::size_t index) {
    return static_cast<int>(index + 1);
}

// The bytes of a bad escape as a message shows them: a zero byte would end the message
// text, so it appears as "\x00".
AnsiString ShownEscape(std::string_view escape) {
    AnsiString shown;
    for (const char c : escape) {
        if (c == '\0') {
            shown += "\\x00";
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

char DecodeEscape(std::string_view text, std::size_t percent) {
    if (percent + 2 >= text.size()) {
        throw Exception(Format("Error decoding URL style (%%XX) encoded string at position %d",
                               MessagePosition(percent)));
    }
    const int byte = HexByteValue(text[percent + 1], text[percent + 2]);
    if (byte < 0) {
        throw EConvertError(Format("Invalid URL encoded character (%s) at position %d",
                                   ShownEscape(text.substr(percent, 3)).c_str(),
                                   MessagePosition(percent)));
    }
    return static_cast<char>(byte);
}

}  // namespace

AnsiString EncodeUrlStyle(std::string_view text) {
    AnsiString out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        if (c == '\0') {
            break;
        }
        if (IsCopiedAsIs(c)) {
            out.push_back(c);
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out.push_back('%');
            out.push_back(kUpperHexDigits[byte >> 4]);
            out.push_back(kUpperHexDigits[byte & 0xF]);
        }
    }
    return out;
}

AnsiString DecodeUrlStyle(std::string_view text) {
    AnsiString out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out.push_back(' ');
        } else if (c != '%') {
            out.push_back(c);
        } else if (i + 1 < text.size() && text[i + 1] == '%') {
            out.push_back('%');
            ++i;
        } else {
            out.push_back(DecodeEscape(text, i));
            i += 2;
        }
    }
    return out;
}

}  // namespace kvt::settings
