#pragma once
// The core's UTF-16 text and Qt's strings, converted without a detour.

#include <QString>
#include <string_view>

#include "base/text.h"

namespace kvt::browser {

inline QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline WideString ToWideString(const QString& text) {
    return WideString(reinterpret_cast<const char16_t*>(text.utf16()),
                      static_cast<std::size_t>(text.size()));
}

}  // namespace kvt::browser
