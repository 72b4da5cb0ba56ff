#pragma once
// The one place where errors raised inside the system become HRESULTs at the COM
// boundary. Every method of an interface the DLL implements that can fail runs its body
// through ComGuard, which catches everything, answers E_UNEXPECTED or the HRESULT the
// error carries, and sets the thread's error information (the message as description,
// the module's error origin as source).

#include <windows.h>

#include <utility>

#include "base/call_result.h"
#include "com/com_ptr_win.h"

namespace kvt::com {

// Who raises the errors of a module: the interface identifier and source name that the
// thread's error information carries. Each module that uses the barrier defines it once.
struct ErrorOrigin {
    const GUID* interface_id;
    const wchar_t* source;
};
extern const ErrorOrigin kModuleErrorOrigin;

// Sets the thread's error information for a failed result and answers its HRESULT; a
// successful result answers S_OK.
HRESULT ReportResult(const CallResult& result) noexcept;

template <typename Body>
HRESULT ComGuard(Body&& body) noexcept {
    return ReportResult(Guarded(std::forward<Body>(body)));
}

// For bodies that answer a CallResult of their own (the core's plug-in facade): a failure
// of the body's result or of the body itself is reported the same way.
template <typename Body>
HRESULT ComCall(Body&& body) noexcept {
    CallResult answered;
    const CallResult ran = Guarded([&] { answered = body(); });
    return ReportResult(ran.Ok() ? answered : ran);
}

// For bodies that answer an HRESULT of their own (a QueryInterface, a creation): that
// answer as it is, or the barrier's when the body throws.
template <typename Body>
HRESULT ComGuardAnswer(Body&& body) noexcept {
    HRESULT answer = E_UNEXPECTED;
    const HRESULT ran = ComGuard([&] { answer = body(); });
    return FAILED(ran) ? ran : answer;
}

// Raises EOleError for a failed HRESULT of a call named `what`.
void Check(HRESULT hr, const char* what);

// Raises EOleError for a failed HRESULT of `what`, a call through `object`'s interface
// `iid`. When the object reports error information for that interface (ISupportErrorInfo),
// the description it set for the failure is the error's message, so the caller sees the
// callee's own words; otherwise the message names the call.
void Check(HRESULT hr, IUnknown* object, REFIID iid, const char* what);

template <typename Interface>
void Check(HRESULT hr, const ComPtr<Interface>& object, const char* what) {
    Check(hr, object.Get(), __uuidof(Interface), what);
}

}  // namespace kvt::com
