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

Variant Invoke(IDispatch& object, std::u16string_view name, WORD kind,
               std::initializer_list<Variant> arguments) {
    const DISPID id = MemberId(object, name);
    // The wire order is last first.
    std::vector<VARIANT> wire(arguments.size());
    std::size_t slot = wire.size();
    for (const Variant& argument : arguments) {
        ToVariant(argument, wire[--slot]);
    }
    DISPPARAMS parameters{wire.data(), nullptr, static_cast<UINT>(wire.size()), 0};
    ComVariant result;
    EXCEPINFO exception{};
    UINT bad_argument = 0;
    const HRESULT hr = object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                                     result.Get(), &exception, &bad_argument);
    for (VARIANT& value : wire) {
        VariantClear(&value);
    }
    const WideString description = Bstr::ToWide(exception.bstrDescription);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(hr)) {
        const std::string what = WideToUtf8(name);
        throw EOleError(static_cast<HResult>(hr), description.empty()
                                                      ? what + " failed on the host's object"
                                                      : WideToAnsi(description));
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
