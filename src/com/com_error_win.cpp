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

// The description of the error information that `object` set for a failed call through
// `iid`, taken off the thread; empty when the object does not report error information for
// the interface or set none.
WideString ReportedDescription(IUnknown* object, REFIID iid) {
    if (object == nullptr) {
        return {};
    }
    ComPtr<ISupportErrorInfo> support;
    if (FAILED(object->QueryInterface(IID_ISupportErrorInfo, support.OutVoid())) || !support ||
        support->InterfaceSupportsErrorInfo(iid) != S_OK) {
        return {};
    }
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Out()) != S_OK || !info) {
        return {};
    }
    Bstr description;
    if (FAILED(info->GetDescription(description.Out()))) {
        return {};
    }
    return description.Text();
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

void Check(HRESULT hr, IUnknown* object, REFIID iid, const char* what) {
    if (SUCCEEDED(hr)) {
        return;
    }
    const WideString description = ReportedDescription(object, iid);
    if (description.empty()) {
        Check(hr, what);
    }
    throw EOleError(static_cast<HResult>(hr), WideToAnsi(description));
}

}  // namespace kvt::com
