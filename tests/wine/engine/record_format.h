#pragma once
// How the scripted engine writes window handles, rectangles, numbers and texts into its
// record lines; the test host builds the lines it expects with the same functions.

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <string_view>

namespace kvt::engine {

inline std::wstring HexText(std::uint64_t value) {
    wchar_t text[24];
    std::swprintf(text, 24, L"0x%llX", static_cast<unsigned long long>(value));
    return text;
}

inline std::wstring WindowText(HWND window) {
    return window == nullptr ? L"null" : HexText(reinterpret_cast<std::uintptr_t>(window));
}

inline std::wstring RectText(const RECT& rect) {
    return std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L"," +
           std::to_wstring(rect.right) + L"," + std::to_wstring(rect.bottom);
}

// The text with control characters written as \n, \r, \t or \xHH, so one record stays on
// one line.
inline std::wstring Escaped(std::wstring_view text) {
    std::wstring out;
    for (const wchar_t c : text) {
        if (c == L'\n') {
            out += L"\\n";
        } else if (c == L'\r') {
            out += L"\\r";
        } else if (c == L'\t') {
            out += L"\\t";
        } else if (c < 0x20) {
            wchar_t code[8];
            std::swprintf(code, 8, L"\\x%02X", static_cast<unsigned>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace kvt::engine
