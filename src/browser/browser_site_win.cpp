#include "browser/browser_site_win.h"

#include "browser/web_browser_win.h"
#include "com/out_param_win.h"

namespace kvt::browser {

namespace {

constexpr DISPID kAmbientDownloadControl = -5512;  // DISPID_AMBIENT_DLCONTROL

}  // namespace

HRESULT BrowserSite::SaveObject() {
    return E_NOTIMPL;
}

HRESULT BrowserSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    return com::NotImplemented(moniker);
}

HRESULT BrowserSite::GetContainer(IOleContainer** container) {
    return com::AnswerEmpty(E_NOINTERFACE, container);
}

HRESULT BrowserSite::ShowObject() {
    return S_OK;
}

HRESULT BrowserSite::OnShowWindow(BOOL) {
    return S_OK;
}

HRESULT BrowserSite::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

HRESULT BrowserSite::GetWindow(HWND* window) {
    return com::SetOut(window, window_);
}

HRESULT BrowserSite::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT BrowserSite::CanInPlaceActivate() {
    return S_OK;
}

HRESULT BrowserSite::OnInPlaceActivate() {
    return S_OK;
}

HRESULT BrowserSite::OnUIActivate() {
    return S_OK;
}

HRESULT BrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                      LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
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

HRESULT BrowserSite::Scroll(SIZE) {
    return E_NOTIMPL;
}

HRESULT BrowserSite::OnUIDeactivate(BOOL) {
    return S_OK;
}

HRESULT BrowserSite::OnInPlaceDeactivate() {
    return S_OK;
}

HRESULT BrowserSite::DiscardUndoState() {
    return S_OK;
}

HRESULT BrowserSite::DeactivateAndUndo() {
    return S_OK;
}

HRESULT BrowserSite::OnPosRectChange(LPCRECT) {
    return S_OK;
}

HRESULT BrowserSite::GetBorder(LPRECT) {
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT BrowserSite::RequestBorderSpace(LPCBORDERWIDTHS) {
    return INPLACE_E_NOTOOLSPACE;
}

HRESULT BrowserSite::SetBorderSpace(LPCBORDERWIDTHS) {
    return S_OK;
}

// The engine names its active object here when it becomes UI-active, and clears it when it
// leaves; keyboard messages are offered to it.
HRESULT BrowserSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    active_object_ = object;
    return S_OK;
}

HRESULT BrowserSite::OfferAccelerator(MSG& message) {
    // Held across the call: the engine may clear its active object while translating.
    const com::ComPtr<IOleInPlaceActiveObject> object = active_object_;
    return object ? object->TranslateAccelerator(&message) : S_FALSE;
}

HRESULT BrowserSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return S_OK;
}

HRESULT BrowserSite::SetMenu(HMENU, HOLEMENU, HWND) {
    return S_OK;
}

HRESULT BrowserSite::RemoveMenus(HMENU) {
    return S_OK;
}

HRESULT BrowserSite::SetStatusText(LPCOLESTR) {
    return S_OK;
}

HRESULT BrowserSite::EnableModeless(BOOL) {
    return S_OK;
}

HRESULT BrowserSite::TranslateAccelerator(LPMSG, WORD) {
    return S_FALSE;
}

HRESULT BrowserSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
    return S_FALSE;  // the engine's own menu
}

HRESULT BrowserSite::GetHostInfo(DOCHOSTUIINFO* info) {
    if (const HRESULT hr = com::RequirePointers(info); FAILED(hr)) {
        return hr;
    }
    info->cbSize = sizeof(DOCHOSTUIINFO);
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

HRESULT BrowserSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                            IOleInPlaceUIWindow*) {
    return S_FALSE;
}

HRESULT BrowserSite::HideUI() {
    return S_OK;
}

HRESULT BrowserSite::UpdateUI() {
    return S_OK;
}

HRESULT BrowserSite::OnDocWindowActivate(BOOL) {
    return S_OK;
}

HRESULT BrowserSite::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

HRESULT BrowserSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

HRESULT BrowserSite::TranslateAccelerator(LPMSG, const GUID*, DWORD) {
    return S_FALSE;
}

HRESULT BrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    return com::AnswerEmpty(S_FALSE, key);
}

HRESULT BrowserSite::GetDropTarget(IDropTarget*, IDropTarget** target) {
    return com::NotImplemented(target);
}

HRESULT BrowserSite::GetExternal(IDispatch** external) {
    return com::AnswerEmpty(S_FALSE, external);
}

HRESULT BrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
    return com::AnswerEmpty(S_FALSE, translated);
}

HRESULT BrowserSite::FilterDataObject(IDataObject*, IDataObject** filtered) {
    return com::AnswerEmpty(S_FALSE, filtered);
}

HRESULT BrowserSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                            UINT*) {
    if (id != kAmbientDownloadControl || result == nullptr) {
        return DISP_E_MEMBERNOTFOUND;
    }
    VariantInit(result);
    V_VT(result) = VT_I4;
    V_I4(result) = kDownloadControl;
    return S_OK;
}

}  // namespace kvt::browser
