#include "com/late_binding_win.h"

#include <string>
#include <vector>

#include "base/errors.h"
#include "com/bstr_win.h"
#include "com/com_error_win.h"
#include "com/variant_win.h"

namespace kvt::com {

namespace {

DISPID MemberId(IDispatch& object, std::u16string_view name) {
    std::wstring text = ToWindows(name);
    LPOLESTR names[] = {text.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        throw EOleError(static_cast<HResult>(hr),
                        "Unknown name " + WideToUtf8(name) + " on the host's object");
    }
    return id;
}

// The arguments of one call in wire order (last first), cleared however the call ends:
// a conversion that throws half-way frees the ones already built.
class WireArguments {
  public:
    explicit WireArguments(std::initializer_list<Variant> arguments) : wire_(arguments.size()) {
        for (VARIANT& value : wire_) {
            VariantInit(&value);
        }
        std::size_t slot = wire_.size();
        for (const Variant& argument : arguments) {
            ToVariant(argument, wire_[--slot]);
        }
    }
    WireArguments(const WireArguments&) = delete;
    WireArguments& operator=(const WireArguments&) = delete;
    ~WireArguments() {
        for (VARIANT& value : wire_) {
            VariantClear(&value);
        }
    }

    DISPPARAMS Parameters() { return {wire_.data(), nullptr, static_cast<UINT>(wire_.size()), 0}; }

  private:
    std::vector<VARIANT> wire_;
};

// The exception information a failed Invoke fills in, freed on every path.
struct ExceptionInfo : EXCEPINFO {
    ExceptionInfo() : EXCEPINFO{} {}
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;
    ~ExceptionInfo() {
        SysFreeString(bstrDescription);
        SysFreeString(bstrSource);
        SysFreeString(bstrHelpFile);
    }
};

// The error of a failed Invoke. DISP_E_EXCEPTION says that the member raised an error,
// described in the EXCEPINFO: filled in at once, or by its deferred fill-in function when
// one is given. Its scode, when that is a failure, is the member's error; an error given
// only as an application's wCode number stays DISP_E_EXCEPTION.
HRESULT FailureOf(HRESULT hr, ExceptionInfo& exception) {
    if (hr != DISP_E_EXCEPTION) {
        return hr;
    }
    if (exception.pfnDeferredFillIn != nullptr) {
        exception.pfnDeferredFillIn(&exception);
        exception.pfnDeferredFillIn = nullptr;
    }
    return FAILED(exception.scode) ? exception.scode : hr;
}

Variant Invoke(IDispatch& object, std::u16string_view name, WORD kind,
               std::initializer_list<Variant> arguments) {
    const DISPID id = MemberId(object, name);
    WireArguments wire(arguments);
    DISPPARAMS parameters = wire.Parameters();
    ComVariant result;
    ExceptionInfo exception;
    UINT bad_argument = 0;
    const HRESULT hr = object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                                     result.Get(), &exception, &bad_argument);
    if (FAILED(hr)) {
        const WideString description = Bstr::ToWide(exception.bstrDescription);
        const std::string what = WideToUtf8(name);
        throw EOleError(
            static_cast<HResult>(FailureOf(hr, exception)),
            description.empty() ? what + " failed on the host's object" : WideToAnsi(description));
    }
    return FromVariant(*result.Get());
}

}  // namespace

Variant GetProperty(IDispatch& object, std::u16string_view name) {
    return Invoke(object, name, DISPATCH_PROPERTYGET, {});
}

Variant GetProperty(IDispatch& object, std::u16string_view name,
                    std::initializer_list<Variant> arguments) {
    return Invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, arguments);
}

Variant CallMethod(IDispatch& object, std::u16string_view name,
                   std::initializer_list<Variant> arguments) {
    return Invoke(object, name, DISPATCH_METHOD, arguments);
}

ComPtr<IDispatch> DispatchOf(const Variant& value, const char* what) {
    ComPtr<IDispatch> object;
    if (value.Kind() == VarKind::Interface) {
        object = ObjectOf(value).As<IDispatch>();
    }
    if (!object) {
        throw EOleError(static_cast<HResult>(E_NOINTERFACE),
                        std::string(what) + " returned no automation object");
    }
    return object;
}

}  // namespace kvt::com
