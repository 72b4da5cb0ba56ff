// The scripted engine's automation object: what IWebBrowser2 does for an embedding
// container, each call recorded.
#include <cstring>
#include <string_view>

#include "record_format.h"
#include "scripted_browser_win.h"

namespace kvt::engine {

namespace {

constexpr wchar_t kPostPlatformKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";
constexpr DISPID kApplicationId = 200;  // DISPID_APPLICATION
constexpr DISPID kDocumentId = 203;     // DISPID_DOCUMENT

const VARIANT* Dereferenced(const VARIANT* value) {
    while (value != nullptr && V_VT(value) == (VT_BYREF | VT_VARIANT)) {
        value = V_VARIANTREF(value);
    }
    return value;
}

std::wstring BytesText(SAFEARRAY* array, std::vector<BYTE>* bytes) {
    LONG lower = 0;
    LONG upper = -1;
    if (array == nullptr || SafeArrayGetDim(array) != 1 ||
        FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(array, 1, &upper))) {
        return L"<bad array>";
    }
    std::vector<BYTE> data(static_cast<std::size_t>(upper - lower + 1));
    void* raw = nullptr;
    if (!data.empty() && SUCCEEDED(SafeArrayAccessData(array, &raw))) {
        std::memcpy(data.data(), raw, data.size());
        SafeArrayUnaccessData(array);
    }
    if (bytes != nullptr) {
        *bytes = data;
    }
    return Escaped(std::wstring(data.begin(), data.end()));
}

// An argument as the record shows it: "empty", "I4:<n>", "BSTR:<text>",
// "UI1[]:<bytes, one character each>" or "vt=<type>".
std::wstring ArgumentText(const VARIANT* argument, std::vector<BYTE>* bytes = nullptr) {
    const VARIANT* value = Dereferenced(argument);
    if (value == nullptr || V_VT(value) == VT_EMPTY) {
        return L"empty";
    }
    switch (V_VT(value)) {
        case VT_I4:
            return L"I4:" + std::to_wstring(V_I4(value));
        case VT_BSTR:
            return L"BSTR:" +
                   Escaped(V_BSTR(value) == nullptr
                               ? std::wstring()
                               : std::wstring(V_BSTR(value), SysStringLen(V_BSTR(value))));
        case VT_ARRAY | VT_UI1:
            return L"UI1[]:" + BytesText(V_ARRAY(value), bytes);
        default:
            return L"vt=" + HexText(V_VT(value));
    }
}

std::wstring Text(const VARIANT* argument) {
    const VARIANT* value = Dereferenced(argument);
    if (value == nullptr || V_VT(value) != VT_BSTR || V_BSTR(value) == nullptr) {
        return {};
    }
    return std::wstring(V_BSTR(value), SysStringLen(V_BSTR(value)));
}

// The engine adds the value names under "Post Platform" to its User-Agent header, read when
// it sends a request.
std::wstring UserAgentTokens() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kPostPlatformKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return L"none";
    }
    std::wstring tokens;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        tokens += (tokens.empty() ? L"" : L";") + std::wstring(name, length);
    }
    RegCloseKey(key);
    return tokens;
}

HRESULT PutText(const std::wstring& text, BSTR* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return S_OK;
}

HRESULT PutDispatch(IDispatch* object, IDispatch** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = com::ComPtr<IDispatch>(object).Detach();
    return S_OK;
}

}  // namespace

HRESULT ScriptedBrowser::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                EXCEPINFO*, UINT*) {
    if ((flags & DISPATCH_PROPERTYGET) == 0 || result == nullptr) {
        return DISP_E_MEMBERNOTFOUND;
    }
    VariantInit(result);
    V_VT(result) = VT_DISPATCH;
    if (id == kApplicationId) {
        return get_Application(&V_DISPATCH(result));
    }
    if (id == kDocumentId) {
        return get_Document(&V_DISPATCH(result));
    }
    V_VT(result) = VT_EMPTY;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT ScriptedBrowser::Navigate(BSTR url, VARIANT* flags, VARIANT* target_frame,
                                  VARIANT* post_data, VARIANT* headers) noexcept {
    try {
        const std::wstring address = url == nullptr ? L"" : std::wstring(url, SysStringLen(url));
        std::vector<BYTE> bytes;
        const std::wstring post_text = ArgumentText(post_data, &bytes);
        const VARIANT* post = Dereferenced(post_data);
        const bool has_post_data = post != nullptr && V_VT(post) == (VT_ARRAY | VT_UI1);
        Record(L"Navigate url=" + Escaped(address) + L" flags=" + ArgumentText(flags) +
               L" target=" + ArgumentText(target_frame) + L" post=" + post_text + L" headers=" +
               ArgumentText(headers));
        if (const HRESULT failure = InjectedFailure(L"Navigate"); failure != S_OK) {
            return failure;  // nothing loads, and the load in progress goes on
        }
        Record(L"UserAgent tokens=" + UserAgentTokens());
        StartLoad(Origin::Navigate, address, NextPage(), std::move(bytes), has_post_data,
                  Text(headers));
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ScriptedBrowser::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target_frame,
                                   VARIANT* post_data, VARIANT* headers) {
    const VARIANT* address = Dereferenced(url);
    if (address == nullptr || V_VT(address) != VT_BSTR) {
        Record(L"Navigate2 with a URL that is not text");
        return E_INVALIDARG;
    }
    return Navigate(V_BSTR(address), flags, target_frame, post_data, headers);
}

HRESULT ScriptedBrowser::GoBack() {
    const History::Entry* entry = history_.Neighbour(History::Move::Back);
    if (entry == nullptr) {
        Record(L"GoBack without back history");
        return E_FAIL;
    }
    Record(L"GoBack to " + Escaped(entry->url));
    StartLoad(Origin::Back, entry->url, entry->page);
    return S_OK;
}

HRESULT ScriptedBrowser::GoForward() {
    const History::Entry* entry = history_.Neighbour(History::Move::Forward);
    if (entry == nullptr) {
        Record(L"GoForward without forward history");
        return E_FAIL;
    }
    Record(L"GoForward to " + Escaped(entry->url));
    StartLoad(Origin::Forward, entry->url, entry->page);
    return S_OK;
}

HRESULT ScriptedBrowser::Stop() {
    const std::size_t dropped = DropAllSteps();
    Record(L"Stop (" + std::to_wstring(dropped) + L" event(s) not played)");
    return S_OK;
}

HRESULT ScriptedBrowser::get_Application(IDispatch** application) noexcept {
    if (application != nullptr) {
        *application = nullptr;
    }
    try {
        if (const HRESULT failure = InjectedFailure(L"get_Application"); failure != S_OK) {
            return failure;
        }
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return PutDispatch(Dispatch(), application);
}

// With no document loaded yet the answer is S_OK and no document, as Wine's WebBrowser
// answers.
HRESULT ScriptedBrowser::get_Document(IDispatch** document) noexcept {
    if (document != nullptr) {
        *document = nullptr;
    }
    try {
        if (const HRESULT failure = InjectedFailure(L"get_Document"); failure != S_OK) {
            return failure;
        }
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return PutDispatch(document_.Get(), document);
}

HRESULT ScriptedBrowser::FailCall(const wchar_t* call, HRESULT hr) noexcept {
    if (call == nullptr) {
        return E_POINTER;
    }
    const std::wstring_view name(call);
    if (name != L"Navigate" && name != L"get_Document" && name != L"get_Application") {
        return E_INVALIDARG;
    }
    try {
        if (hr == S_OK) {
            failing_calls_.erase(std::wstring(name));
        } else {
            failing_calls_[std::wstring(name)] = hr;
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ScriptedBrowser::InjectedFailure(const wchar_t* call) {
    const auto failing = failing_calls_.find(call);
    if (failing == failing_calls_.end()) {
        return S_OK;
    }
    Record(std::wstring(call) + L" fails with " + HexText(static_cast<ULONG>(failing->second)));
    return failing->second;
}

HRESULT ScriptedBrowser::get_LocationName(BSTR* name) {
    return PutText(location_name_, name);
}

HRESULT ScriptedBrowser::get_LocationURL(BSTR* url) {
    return PutText(location_url_, url);
}

HRESULT ScriptedBrowser::get_Busy(VARIANT_BOOL* busy) {
    if (busy == nullptr) {
        return E_POINTER;
    }
    *busy = queue_.empty() ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HRESULT ScriptedBrowser::get_Visible(VARIANT_BOOL* visible) {
    if (visible == nullptr) {
        return E_POINTER;
    }
    *visible = visible_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ScriptedBrowser::put_Visible(VARIANT_BOOL visible) {
    Record(L"put_Visible " + std::to_wstring(visible));
    visible_ = visible != VARIANT_FALSE;
    return S_OK;
}

HRESULT ScriptedBrowser::get_ReadyState(READYSTATE* state) {
    if (state == nullptr) {
        return E_POINTER;
    }
    if (!document_) {
        *state = queue_.empty() ? READYSTATE_UNINITIALIZED : READYSTATE_LOADING;
    } else {
        *state = queue_.empty() ? READYSTATE_COMPLETE : READYSTATE_INTERACTIVE;
    }
    return S_OK;
}

HRESULT ScriptedBrowser::get_Silent(VARIANT_BOOL* silent) {
    if (silent == nullptr) {
        return E_POINTER;
    }
    *silent = silent_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ScriptedBrowser::put_Silent(VARIANT_BOOL silent) {
    Record(L"put_Silent " + std::to_wstring(silent));
    silent_ = silent != VARIANT_FALSE;
    return S_OK;
}

}  // namespace kvt::engine
