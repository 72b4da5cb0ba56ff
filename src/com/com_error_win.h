#pragma once
// The one place where errors raised inside the system become HRESULTs at the COM
// boundary. Every method of an interface the DLL implements that can fail runs its body
// through ComGuard, which catches everything, answers E_UNEXPECTED or the HRESULT the
// error carries, and sets the thread's error information (the message as description,
// the control's ProgID as source).

#include <windows.h>

#include <utility>

#include "control/call_result.h"

namespace kvt::com {

// Sets the thread's error information for a failed result and answers its HRESULT; a
// successful result answers S_OK.
HRESULT ReportResult(const control::CallResult& result) noexcept;

template <typename Body>
HRESULT ComGuard(Body&& body) noexcept {
    return ReportResult(control::Guarded(std::forward<Body>(body)));
}

// For bodies that answer a CallResult of their own (the core's plug-in facade): a failure
// of the body's result or of the body itself is reported the same way.
template <typename Body>
HRESULT ComCall(Body&& body) noexcept {
    control::CallResult answered;
    const control::CallResult ran = control::Guarded([&] { answered = body(); });
    return ReportResult(ran.Ok() ? answered : ran);
}

// Raises EOleError for a failed HRESULT of a call named `what`.
void Check(HRESULT hr, const char* what);

}  // namespace kvt::com
