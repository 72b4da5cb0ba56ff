#pragma once
// The pointer checks and out-parameter answers that COM methods repeat, each written once:
//
//   if (const HRESULT hr = RequirePointers(out); FAILED(hr)) {   // E_POINTER for a null one
//       return hr;
//   }
//   return SetOut(count, 0);                          // E_POINTER, or the value and S_OK
//   return NotImplemented(moniker);                   // E_NOTIMPL, optional outs emptied
//   return AnswerEmpty(S_FALSE, external);            // any answer, optional outs emptied

#include <windows.h>

#include <type_traits>

#include "com/com_ptr_win.h"

namespace kvt::com {

// S_OK when every pointer is given, E_POINTER when one is null.
template <typename... Pointers>
constexpr HRESULT RequirePointers(const Pointers*... pointers) noexcept {
    return ((pointers != nullptr) && ...) ? S_OK : E_POINTER;
}

// Hands `value` out through a required out parameter.
template <typename T>
HRESULT SetOut(T* out, const std::type_identity_t<T>& value) noexcept(
    std::is_nothrow_copy_assignable_v<T>) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = value;
    return S_OK;
}

// Hands out a new reference to `object` (or null) through a required out parameter; the
// reference is added only once the out parameter is known to be there.
template <typename T, typename U>
HRESULT SetOut(T** out, const ComPtr<U>& object) noexcept {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = ComPtr<T>(object.Get()).Detach();
    return S_OK;
}

// Sets each out parameter the caller gave to its empty value (null, zero); null ones are
// the caller's way of not asking.
template <typename... Outs>
void ClearOuts(Outs*... outs) noexcept {
    ((outs != nullptr ? void(*outs = Outs{}) : void()), ...);
}

// Answers `answer` with the given out parameters empty.
template <typename... Outs>
HRESULT AnswerEmpty(HRESULT answer, Outs*... outs) noexcept {
    ClearOuts(outs...);
    return answer;
}

// E_NOTIMPL, with the given out parameters empty.
template <typename... Outs>
HRESULT NotImplemented(Outs*... outs) noexcept {
    return AnswerEmpty(E_NOTIMPL, outs...);
}

}  // namespace kvt::com
