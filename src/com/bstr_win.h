#pragma once
// An owned BSTR and the conversions between BSTRs and the system's wide text.

#include <windows.h>

#include <oleauto.h>

#include <string_view>
#include <utility>

#include "base/text.h"

namespace kvt::com {

class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text)
        : b_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(b_, other.b_);
        return *this;
    }
    ~Bstr() { SysFreeString(b_); }

    BSTR Get() const { return b_; }
    // For out parameters: frees the current text first.
    BSTR* Out() {
        SysFreeString(std::exchange(b_, nullptr));
        return &b_;
    }
    // Hands the text over to the caller.
    BSTR Detach() { return std::exchange(b_, nullptr); }
    WideString Text() const { return ToWide(b_); }

    // A null BSTR is the empty text.
    static WideString ToWide(BSTR b) {
        return b == nullptr ? WideString()
                            : WideString(reinterpret_cast<const char16_t*>(b), SysStringLen(b));
    }
    // A zero-terminated text that is not a BSTR (it has no length prefix).
    static WideString FromZeroTerminated(const wchar_t* text) {
        return text == nullptr ? WideString() : WideString(reinterpret_cast<const char16_t*>(text));
    }

  private:
    BSTR b_ = nullptr;
};

// The text as a null-terminated wide string for the system's calls.
inline std::wstring ToWindows(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

}  // namespace kvt::com
