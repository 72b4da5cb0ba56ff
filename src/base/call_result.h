#pragma once
// The one place where an error raised inside the system becomes an HRESULT-like result
// plus its message. Every entry point that a host, a browser engine or a back end calls
// goes through Guarded, so no exception leaves the core.

#include <exception>
#include <utility>

#include "base/errors.h"
#include "base/text.h"

namespace kvt {

struct CallResult {
    HResult code = kSOk;
    AnsiString message;

    bool Ok() const { return !Failed(code); }
};

// E_UNEXPECTED for every error, or the HRESULT that a failed COM call carried.
CallResult ResultOfCurrentException() noexcept;

template <typename Body>
CallResult Guarded(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return {};
    } catch (...) {
        return ResultOfCurrentException();
    }
}

}  // namespace kvt
