// The scripted engine as an embedded object: its client site, in-place and UI activation
// in the container's window, and what it asks its site, as the WebBrowser control does.
#include <mshtmhst.h>
#include <olectl.h>

#include <utility>

#include "record_format.h"
#include "scripted_browser_win.h"
#include "ui/window_class_win.h"

namespace kvt::engine {

namespace {

constexpr wchar_t kInPlaceClass[] = L"KvtScriptedEngine";
constexpr DWORD kInPlaceStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;
constexpr DISPID kAmbientDownloadControl = -5512;  // DISPID_AMBIENT_DLCONTROL

std::wstring Number(long long value) {
    return std::to_wstring(value);
}

std::wstring TextOrNull(const wchar_t* text) {
    return text == nullptr ? L"null" : L"\"" + Escaped(text) + L"\"";
}

bool SameObject(IUnknown* a, IUnknown* b) {
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    com::ComPtr<IUnknown> first;
    com::ComPtr<IUnknown> second;
    a->QueryInterface(IID_IUnknown, first.OutVoid());
    b->QueryInterface(IID_IUnknown, second.OutVoid());
    return first.Get() == second.Get();
}

}  // namespace

// The document host asks for the container's UI options (IDocHostUIHandler::GetHostInfo,
// with cbSize set by the caller) and for the download options through the ambient property
// DISPID_AMBIENT_DLCONTROL of the client site's IDispatch, when it gets its site and again
// when it is activated in place.
void ScriptedBrowser::AskSite(const wchar_t* when) {
    const std::wstring prefix = std::wstring(when) + L" ";
    if (const auto handler = site_.As<IDocHostUIHandler>()) {
        DOCHOSTUIINFO info{};
        info.cbSize = sizeof(info);
        const HRESULT hr = handler->GetHostInfo(&info);
        Record(L"HostInfo " + prefix + L"hr=" + HexText(static_cast<ULONG>(hr)) + L" cbSize=" +
               Number(info.cbSize) + L" flags=" + HexText(info.dwFlags) + L" doubleclick=" +
               Number(info.dwDoubleClick) + L" css=" + TextOrNull(info.pchHostCss) + L" ns=" +
               TextOrNull(info.pchHostNS));
        CoTaskMemFree(info.pchHostCss);
        CoTaskMemFree(info.pchHostNS);
    } else {
        Record(L"HostInfo " + prefix + L"no IDocHostUIHandler");
    }
    if (const auto ambient = site_.As<IDispatch>()) {
        VARIANT value;
        VariantInit(&value);
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        const HRESULT hr = ambient->Invoke(kAmbientDownloadControl, IID_NULL, LOCALE_USER_DEFAULT,
                                           DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
        Record(L"Ambient " + prefix + L"DLCONTROL hr=" + HexText(static_cast<ULONG>(hr)) + L" vt=" +
               Number(V_VT(&value)) + L" value=" +
               (V_VT(&value) == VT_I4 ? HexText(static_cast<ULONG>(V_I4(&value))) : L"none"));
        VariantClear(&value);
    } else {
        Record(L"Ambient " + prefix + L"no IDispatch");
    }
}

HRESULT ScriptedBrowser::SetClientSite(IOleClientSite* site) {
    Record(site != nullptr ? L"SetClientSite site" : L"SetClientSite null");
    site_ = site;
    if (site == nullptr) {
        in_place_site_.Reset();
        frame_.Reset();
        ui_window_.Reset();
        return S_OK;
    }
    AskSite(L"SetClientSite");
    return S_OK;
}

HRESULT ScriptedBrowser::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) {
        return E_POINTER;
    }
    *site = com::ComPtr<IOleClientSite>(site_).Detach();
    return S_OK;
}

HRESULT ScriptedBrowser::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT ScriptedBrowser::Close(DWORD save_option) {
    Record(L"Close " + Number(save_option));
    DropAllSteps();
    InPlaceDeactivate();
    return S_OK;
}

HRESULT ScriptedBrowser::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) {
        *data = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                LPCRECT position) {
    Record(L"DoVerb " + Number(verb) + L" window=" + WindowText(parent) + L" rect=" +
           (position != nullptr ? RectText(*position) : L"null") + L" site=" +
           (site == nullptr                 ? L"null"
            : SameObject(site, site_.Get()) ? L"client"
                                            : L"other"));
    IOleClientSite* activating = site != nullptr ? site : site_.Get();
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
            return ActivateInPlace(activating, parent, position);
        case OLEIVERB_UIACTIVATE: {
            const HRESULT hr = ActivateInPlace(activating, parent, position);
            if (SUCCEEDED(hr)) {
                ActivateUI();
            }
            return hr;
        }
        case OLEIVERB_HIDE:
            UIDeactivate();
            if (window_ != nullptr) {
                ShowWindow(window_, SW_HIDE);
            }
            return S_OK;
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT ScriptedBrowser::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position) {
    if (window_ != nullptr) {
        if (position != nullptr) {
            SetObjectRects(position, position);
        }
        return S_OK;
    }
    if (site == nullptr) {
        return E_INVALIDARG;
    }
    const auto in_place = com::ComPtr<IUnknown>(site).As<IOleInPlaceSite>();
    if (!in_place) {
        return E_NOINTERFACE;
    }
    if (in_place->CanInPlaceActivate() != S_OK) {
        return E_FAIL;
    }
    in_place->OnInPlaceActivate();
    HWND container = parent;
    if (container == nullptr && FAILED(in_place->GetWindow(&container))) {
        in_place->OnInPlaceDeactivate();
        return E_FAIL;
    }
    com::ComPtr<IOleInPlaceFrame> frame;
    com::ComPtr<IOleInPlaceUIWindow> document_window;
    RECT area{};
    RECT clip{};
    OLEINPLACEFRAMEINFO frame_info{};
    frame_info.cb = sizeof(frame_info);
    if (SUCCEEDED(in_place->GetWindowContext(frame.Out(), document_window.Out(), &area, &clip,
                                             &frame_info))) {
        frame_ = frame;
        ui_window_ = document_window;
    }
    const RECT placed = position != nullptr ? *position : area;
    ui::RegisterWindowClassOnce(ui::ThisModule(), kInPlaceClass, DefWindowProcW,
                                {nullptr, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))});
    window_ = CreateWindowExW(0, kInPlaceClass, L"", kInPlaceStyle, placed.left, placed.top,
                              placed.right - placed.left, placed.bottom - placed.top, container,
                              nullptr, ui::ThisModule(), nullptr);
    if (window_ == nullptr) {
        in_place->OnInPlaceDeactivate();
        return E_FAIL;
    }
    in_place_site_ = in_place;
    AskSite(L"DoVerb");
    return S_OK;
}

// UI activation in the documented order of the OLE in-place protocol, as the WebBrowser
// control does it: IOleInPlaceSite::OnUIActivate before the object shows any user interface,
// then IOleInPlaceUIWindow::SetActiveObject on the frame and on the document window that
// GetWindowContext gave (the direct channel through which the container offers it the
// keyboard), then the object takes the focus.
void ScriptedBrowser::ActivateUI() {
    if (ui_active_ || !in_place_site_) {
        return;
    }
    ui_active_ = true;
    in_place_site_->OnUIActivate();
    const auto active = static_cast<IOleInPlaceActiveObject*>(this);
    if (frame_) {
        frame_->SetActiveObject(active, L"ScriptedEngine");
    }
    if (ui_window_) {
        ui_window_->SetActiveObject(active, L"ScriptedEngine");
    }
    SetFocus(window_);
}

// A mouse click into the page UI-activates the WebBrowser control when it is not UI-active
// (the activation above); a click into a UI-active page only moves the focus into it.
HRESULT ScriptedBrowser::ClickPage() {
    Record(L"ClickPage");
    if (window_ == nullptr) {
        return E_UNEXPECTED;
    }
    ActivateUI();
    SetFocus(window_);
    return S_OK;
}

void ScriptedBrowser::DestroyInPlaceWindow() {
    if (window_ != nullptr) {
        DestroyWindow(std::exchange(window_, nullptr));
    }
}

HRESULT ScriptedBrowser::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs != nullptr) {
        *verbs = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::Update() {
    return S_OK;
}

HRESULT ScriptedBrowser::IsUpToDate() {
    return S_OK;
}

HRESULT ScriptedBrowser::GetUserClassID(CLSID* class_id) {
    return GetClassID(class_id);
}

HRESULT ScriptedBrowser::GetUserType(DWORD, LPOLESTR* type) {
    if (type != nullptr) {
        *type = nullptr;
    }
    return OLE_S_USEREG;
}

HRESULT ScriptedBrowser::SetExtent(DWORD aspect, SIZEL*) {
    return aspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
}

HRESULT ScriptedBrowser::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (size == nullptr) {
        return E_POINTER;
    }
    *size = {0, 0};
    return S_OK;
}

HRESULT ScriptedBrowser::Advise(IAdviseSink*, DWORD* cookie) {
    if (cookie != nullptr) {
        *cookie = 0;
    }
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::Unadvise(DWORD) {
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise != nullptr) {
        *advise = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) {
        return E_POINTER;
    }
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_RECOMPOSEONRESIZE |
              OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT;
    return S_OK;
}

HRESULT ScriptedBrowser::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
}

HRESULT ScriptedBrowser::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::InPlaceDeactivate() {
    Record(L"InPlaceDeactivate");
    UIDeactivate();
    DestroyInPlaceWindow();
    frame_.Reset();
    ui_window_.Reset();
    if (const com::ComPtr<IOleInPlaceSite> site = std::move(in_place_site_)) {
        site->OnInPlaceDeactivate();
    }
    return S_OK;
}

HRESULT ScriptedBrowser::UIDeactivate() {
    if (!ui_active_) {
        return S_OK;
    }
    ui_active_ = false;
    if (frame_) {
        frame_->SetActiveObject(nullptr, nullptr);
    }
    if (ui_window_) {
        ui_window_->SetActiveObject(nullptr, nullptr);
    }
    if (in_place_site_) {
        in_place_site_->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

HRESULT ScriptedBrowser::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr) {
        return E_POINTER;
    }
    Record(L"SetObjectRects " + RectText(*position));
    if (window_ != nullptr) {
        MoveWindow(window_, position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    }
    return S_OK;
}

HRESULT ScriptedBrowser::ReactivateAndUndo() {
    return E_NOTIMPL;
}

// A container offers keyboard messages here from its message loop before dispatching
// them; the engine records them and leaves them to the container.
HRESULT ScriptedBrowser::TranslateAccelerator(LPMSG message) {
    if (message == nullptr) {
        return E_INVALIDARG;
    }
    Record(L"TranslateAccelerator message=" + HexText(message->message) + L" key=" +
           Number(static_cast<long long>(message->wParam)));
    return S_FALSE;
}

HRESULT ScriptedBrowser::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

HRESULT ScriptedBrowser::OnDocWindowActivate(BOOL) {
    return S_OK;
}

HRESULT ScriptedBrowser::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

HRESULT ScriptedBrowser::EnableModeless(BOOL) {
    return S_OK;
}

HRESULT ScriptedBrowser::GetClassID(CLSID* class_id) {
    if (class_id == nullptr) {
        return E_POINTER;
    }
    *class_id = CLSID_WebBrowser;
    return S_OK;
}

HRESULT ScriptedBrowser::IsDirty() {
    return S_FALSE;
}

HRESULT ScriptedBrowser::Load(LPSTREAM) {
    return S_OK;
}

HRESULT ScriptedBrowser::Save(LPSTREAM, BOOL) {
    return S_OK;
}

HRESULT ScriptedBrowser::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    size->QuadPart = 0;
    return S_OK;
}

HRESULT ScriptedBrowser::InitNew() {
    Record(L"InitNew");
    return S_OK;
}

HRESULT ScriptedBrowser::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) {
        *points = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT ScriptedBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr) {
        return E_POINTER;
    }
    *point = nullptr;
    if (iid != DIID_DWebBrowserEvents2 || !point_) {
        return CONNECT_E_NOCONNECTION;
    }
    *point = com::ComPtr<EventPoint>(point_).Detach();
    return S_OK;
}

}  // namespace kvt::engine
