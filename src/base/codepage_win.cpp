// System code page on Windows: the ANSI code page, converted by the system.
#include <windows.h>

#include <algorithm>
#include <string>

#include "base/text.h"

namespace kvt {
namespace {

bool IsSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The system converts UTF-16 unit by unit, so a character outside the Basic Multilingual
// Plane, which no double- or single-byte code page has, would come out as two replacement
// characters. Each such character (a surrogate pair, or a lone surrogate) becomes one
// question mark here, as the code page's replacement, so that one character that does not
// convert gives one '?' on every platform. A UTF-8 ANSI code page converts them all.
std::u16string_view OneUnitPerCharacter(std::u16string_view text, std::u16string& buffer) {
    if (GetACP() == CP_UTF8 || std::none_of(text.begin(), text.end(), IsSurrogate)) {
        return text;
    }
    buffer.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsSurrogate(text[i])) {
            buffer.push_back(text[i]);
            continue;
        }
        const bool pair = text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] <= 0xDFFF;
        i += pair ? 1 : 0;
        buffer.push_back(u'?');
    }
    return buffer;
}

}  // namespace

WideString AnsiToWide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    WideString out(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, reinterpret_cast<wchar_t*>(out.data()),
                        length);
    return out;
}

AnsiString WideToAnsi(std::u16string_view text) {
    if (text.empty()) {
        return {};
    }
    std::u16string buffer;
    text = OneUnitPerCharacter(text, buffer);
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
    AnsiString out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, size, out.data(), length, nullptr, nullptr);
    return out;
}

}  // namespace kvt
