#include "com/com_error_win.h"

#include <oleauto.h>

#include "base/errors.h"
#include "base/text.h"
#include "com/bstr_win.h"
#include "com/com_ptr_win.h"

namespace kvt::com {

namespace {

void SetThreadErrorInfo(const AnsiString& message) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.Out()))) {
        return;
    }
    std::wstring description = ToWindows(AnsiToWide(message));
    std::wstring source = kModuleErrorOrigin.source;
    create->SetGUID(*kModuleErrorOrigin.interface_id);
    create->SetDescription(description.data());
    create->SetSource(source.data());
    if (const ComPtr<IErrorInfo> info = create.As<IErrorInfo>()) {
        SetErrorInfo(0, info.Get());
    }
}

}  // namespace

HRESULT ReportResult(const CallResult& result) noexcept {
    if (result.Ok()) {
        return S_OK;
    }
    try {
        SetThreadErrorInfo(result.message);
    } catch (...) {
        // Out of memory while describing the error: the HRESULT still tells the caller.
    }
    return static_cast<HRESULT>(result.code);
}

void Check(HRESULT hr, const char* what) {
    CheckHResult(static_cast<HResult>(hr), what);
}

}  // namespace kvt::com
