#pragma once
// Text types. Inside the system text is 8-bit in the system code page (GBK on the Linux
// back end, the ANSI code page on Windows); at the COM, browser and host boundary it is
// UTF-16. Conversions go through the code page at each crossing.

#include <string>
#include <string_view>
#include <vector>

namespace kvt {

using AnsiString = std::string;     // 8-bit text in the system code page
using WideString = std::u16string;  // UTF-16 text

// System code page -> UTF-16. Bytes that do not decode become U+003F.
WideString AnsiToWide(std::string_view text);

// UTF-16 -> system code page. Characters the code page lacks become '?'.
AnsiString WideToAnsi(std::u16string_view text);

// UTF-8 <-> UTF-16 for tools and tests that start from UTF-8 literals. Invalid UTF-8
// bytes become U+FFFD; unpaired surrogates are written as their 3-byte forms.
WideString Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::u16string_view text);

// Convenience: UTF-8 literal -> system code page text.
inline AnsiString AnsiFromUtf8(std::string_view text) {
    return WideToAnsi(Utf8ToWide(text));
}
inline std::string Utf8FromAnsi(std::string_view text) {
    return WideToUtf8(AnsiToWide(text));
}

// Removes leading and trailing characters whose codes are 32 or less.
AnsiString Trim(std::string_view text);

// The pieces of `text` between the delimiters, in order, empty ones included: "a,,b" gives
// "a", "", "b", and the empty text one empty piece. The pieces view `text`.
std::vector<std::string_view> SplitText(std::string_view text, char delimiter);

// ASCII-only case-insensitive comparison (bytes from 0x80 compare exactly).
bool SameTextAscii(std::string_view a, std::string_view b);
bool SameTextAscii(std::u16string_view a, std::u16string_view b);

}  // namespace kvt
