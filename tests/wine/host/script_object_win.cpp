#include "script_object_win.h"

#include <cwctype>

#include "base/text.h"
#include "fault_switch_win.h"

namespace kvt::wintest {

namespace {

bool SameName(const std::wstring& a, const wchar_t* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != L'\0'; ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) {
            return false;
        }
    }
    return i == a.size() && b[i] == L'\0';
}

}  // namespace

HRESULT ScriptObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                    DISPID* ids) noexcept {
    if (names == nullptr || ids == nullptr || count == 0) {
        return E_INVALIDARG;
    }
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
    }
    for (std::size_t m = 0; m < members_.size(); ++m) {
        if (SameName(members_[m], names[0])) {
            ids[0] = static_cast<DISPID>(m + 1);
            return S_OK;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT ScriptObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT* result,
                             EXCEPINFO* exception, UINT*) noexcept {
    if (id < 1 || static_cast<std::size_t>(id) > members_.size()) {
        return DISP_E_MEMBERNOTFOUND;
    }
    const std::wstring& member = members_[static_cast<std::size_t>(id - 1)];
    const std::string entry = kind_ +
                              "::" + WideToUtf8(std::u16string(member.begin(), member.end())) +
                              (origin_.empty() ? "" : " " + origin_);
    if (const HRESULT hr = HostFaults().Invoke(entry, exception); FAILED(hr)) {
        return hr;
    }
    std::vector<VARIANT*> arguments;
    if (parameters != nullptr) {
        for (UINT i = parameters->cArgs; i > 0; --i) {
            arguments.push_back(&parameters->rgvarg[i - 1]);
        }
    }
    VARIANT ignored;
    VariantInit(&ignored);
    VARIANT& out = result != nullptr ? *result : ignored;
    VariantInit(&out);
    const HRESULT hr = Member(member, arguments, out);
    VariantClear(&ignored);
    return hr;
}

void SetText(VARIANT& result, const std::wstring& text) {
    V_VT(&result) = VT_BSTR;
    V_BSTR(&result) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void SetInteger(VARIANT& result, LONG value) {
    V_VT(&result) = VT_I4;
    V_I4(&result) = value;
}

void SetBoolean(VARIANT& result, bool value) {
    V_VT(&result) = VT_BOOL;
    V_BOOL(&result) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetObject(VARIANT& result, IDispatch* object) {
    V_VT(&result) = VT_DISPATCH;
    V_DISPATCH(&result) = object;
    if (object != nullptr) {
        object->AddRef();
    }
}

}  // namespace kvt::wintest
