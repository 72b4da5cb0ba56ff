#include "browser/browser_site_win.h"

#include <utility>

#include "browser/web_browser_win.h"
#include "com/com_error_win.h"
#include "com/out_param_win.h"

namespace kvt::browser {

namespace {

constexpr DISPID kAmbientDownloadControl = -5512;  // DISPID_AMBIENT_DLCONTROL

}  // namespace

HRESULT BrowserSite::SaveObject() noexcept {
    return E_NOTIMPL;
}

HRESULT BrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept {
    return com::NotImplemented(moniker);
}

HRESULT BrowserSite::GetContainer(IOleContainer** container) noexcept {
    return com::AnswerEmpty(E_NOINTERFACE, container);
}

HRESULT BrowserSite::ShowObject() noexcept {
    return S_OK;
}

HRESULT BrowserSite::OnShowWindow(BOOL) noexcept {
    return S_OK;
}

HRESULT BrowserSite::RequestNewObjectLayout() noexcept {
    return E_NOTIMPL;
}

HRESULT BrowserSite::GetWindow(HWND* window) noexcept {
    return com::SetOut(window, window_);
}

HRESULT BrowserSite::ContextSensitiveHelp(BOOL) noexcept {
    return E_NOTIMPL;
}

HRESULT BrowserSite::CanInPlaceActivate() noexcept {
    return S_OK;
}

HRESULT BrowserSite::OnInPlaceActivate() noexcept {
    return S_OK;
}

HRESULT BrowserSite::OnUIActivate() noexcept {
    return com::ComGuardAnswer([&]() -> HRESULT {
        if (ui_activation_handler_) {
            const std::function<void()> handler = ui_activation_handler_;
            handler();
        }
        return S_OK;
    });
}

void BrowserSite::SetUIActivationHandler(std::function<void()> handler) {
    ui_activation_handler_ = std::move(handler);
}

HRESULT BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                      LPRECT position, LPRECT clip,
                                      LPOLEINPLACEFRAMEINFO info) noexcept {
    if (const HRESULT hr = com::RequirePointers(frame, document, position, clip, info);
        FAILED(hr)) {
        return hr;
    }
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    GetClientRect(window_, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT BrowserSite::Scroll(SIZE) noexcept {
    return E_NOTIMPL;
}

HRESULT BrowserSite::OnUIDeactivate(BOOL) noexcept {
    return S_OK;
}

HRESULT BrowserSite::OnInPlaceDeactivate() noexcept {
    return S_OK;
}

HRESULT BrowserSite::DiscardUndoState() noexcept {
    return S_OK;
}

HRESULT BrowserSite::DeactivateAndUndo() noexcept {
    return S_OK;
}

HRESULT BrowserSite::OnPosRectChange(LPCRECT) noexcept {
    return S_OK;
}

HRESULT BrowserSite::GetBorder(LPRECT) noexcept {
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT BrowserSite::RequestBorderSpace(LPCBORDERWIDTHS) noexcept {
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT BrowserSite::SetBorderSpace(LPCBORDERWIDTHS) noexcept {
    return S_OK;
}

// The engine names its active object here when it becomes UI-active, and clears it when it
// leaves; keyboard messages are offered to it.
HRESULT BrowserSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) noexcept {
    active_object_ = object;
    return S_OK;
}

HRESULT BrowserSite::OfferAccelerator(MSG& message) noexcept {
    // Held across the call: the engine may clear its active object while translating.
    const com::ComPtr<IOleInPlaceActiveObject> object = active_object_;
    return object ? object->TranslateAccelerator(&message) : S_FALSE;
}

HRESULT BrowserSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) noexcept {
    return S_OK;
}

HRESULT BrowserSite::SetMenu(HMENU, HOLEMENU, HWND) noexcept {
    return S_OK;
}

HRESULT BrowserSite::RemoveMenus(HMENU) noexcept {
    return S_OK;
}

HRESULT BrowserSite::SetStatusText(LPCOLESTR) noexcept {
    return S_OK;
}

HRESULT BrowserSite::EnableModeless(BOOL) noexcept {
    return S_OK;
}

HRESULT BrowserSite::TranslateAccelerator(LPMSG, WORD) noexcept {
    return S_FALSE;
}

HRESULT BrowserSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) noexcept {
    return S_FALSE;  // the engine's own menu
}

HRESULT BrowserSite::GetHostInfo(DOCHOSTUIINFO* info) noexcept {
    if (const HRESULT hr = com::RequirePointers(info); FAILED(hr)) {
        return hr;
    }
    info->cbSize = sizeof(DOCHOSTUIINFO);
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

HRESULT BrowserSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                            IOleInPlaceUIWindow*) noexcept {
    return S_FALSE;
}

HRESULT BrowserSite::HideUI() noexcept {
    return S_OK;
}

HRESULT BrowserSite::UpdateUI() noexcept {
    return S_OK;
}

HRESULT BrowserSite::OnDocWindowActivate(BOOL) noexcept {
    return S_OK;
}

HRESULT BrowserSite::OnFrameWindowActivate(BOOL) noexcept {
    return S_OK;
}

HRESULT BrowserSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) noexcept {
    return S_OK;
}

HRESULT BrowserSite::TranslateAccelerator(LPMSG, const GUID*, DWORD) noexcept {
    return S_FALSE;
}

HRESULT BrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD) noexcept {
    return com::AnswerEmpty(S_FALSE, key);
}

HRESULT BrowserSite::GetDropTarget(IDropTarget*, IDropTarget** target) noexcept {
    return com::NotImplemented(target);
}

HRESULT BrowserSite::GetExternal(IDispatch** external) noexcept {
    return com::AnswerEmpty(S_FALSE, external);
}

HRESULT BrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) noexcept {
    return com::AnswerEmpty(S_FALSE, translated);
}

HRESULT BrowserSite::FilterDataObject(IDataObject*, IDataObject** filtered) noexcept {
    return com::AnswerEmpty(S_FALSE, filtered);
}

HRESULT BrowserSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                            UINT*) noexcept {
    if (id != kAmbientDownloadControl || result == nullptr) {
        return DISP_E_MEMBERNOTFOUND;
    }
    VariantInit(result);
    V_VT(result) = VT_I4;
    V_I4(result) = kDownloadControl;
    return S_OK;
}

}  // namespace kvt::browser
