// The control object's embedding: IOleObject, IOleControl, in-place activation into the
// container's window, and the simple-frame site.
#include "com/com_error_win.h"
#include "com/out_param_win.h"
#include "server/com_identity.h"
#include "server/control_object_win.h"

namespace kvt::server {

HRESULT KvNewTavrixControl::SetClientSite(IOleClientSite* site) noexcept {
    client_site_ = site;
    if (site == nullptr) {
        in_place_site_.Reset();
    }
    return S_OK;
}

HRESULT KvNewTavrixControl::GetClientSite(IOleClientSite** site) noexcept {
    return com::SetOut(site, client_site_);
}

HRESULT KvNewTavrixControl::SetHostNames(LPCOLESTR, LPCOLESTR) noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::Close(DWORD) noexcept {
    return com::ComGuardAnswer([&]() -> HRESULT {
        if (const HRESULT hr = InPlaceDeactivate(); FAILED(hr)) {
            return hr;
        }
        if (ole_advise_) {
            ole_advise_->SendOnClose();
        }
        return S_OK;
    });
}

HRESULT KvNewTavrixControl::SetMoniker(DWORD, IMoniker*) noexcept {
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept {
    return com::NotImplemented(moniker);
}

HRESULT KvNewTavrixControl::InitFromData(IDataObject*, BOOL, DWORD) noexcept {
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::GetClipboardData(DWORD, IDataObject** data) noexcept {
    return com::NotImplemented(data);
}

HRESULT KvNewTavrixControl::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position) {
    if (in_place_active_) {
        if (position != nullptr) {
            form_->Move(*position);
        }
        return S_OK;
    }
    if (site == nullptr) {
        return E_UNEXPECTED;
    }
    const com::ComPtr<IOleInPlaceSite> in_place = com::ComPtr<IUnknown>(site).As<IOleInPlaceSite>();
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
    com::ComPtr<IOleInPlaceUIWindow> document;
    RECT area{};
    RECT clip{};
    OLEINPLACEFRAMEINFO frame_info{};
    frame_info.cb = sizeof(frame_info);
    if (FAILED(
            in_place->GetWindowContext(frame.Out(), document.Out(), &area, &clip, &frame_info))) {
        if (position == nullptr) {
            in_place->OnInPlaceDeactivate();
            return E_FAIL;
        }
        area = *position;
    }
    in_place_site_ = in_place;
    frame_ = frame;
    document_ = document;
    in_place_active_ = true;
    form_->PlaceIn(container, position != nullptr ? *position : area);
    return S_OK;
}

HRESULT KvNewTavrixControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                   LPCRECT position) noexcept {
    return com::ComGuardAnswer([&]() -> HRESULT {
        IOleClientSite* activating = site != nullptr ? site : client_site_.Get();
        switch (verb) {
            case OLEIVERB_PRIMARY:
            case OLEIVERB_SHOW:
            case OLEIVERB_INPLACEACTIVATE:
                return ActivateInPlace(activating, parent, position);
            case OLEIVERB_UIACTIVATE:
                return ActivateUserInterface(activating, parent, position);
            case OLEIVERB_HIDE:
                UIDeactivate();
                ShowWindow(form_->Window(), SW_HIDE);
                return S_OK;
            case OLEIVERB_DISCARDUNDOSTATE:
                return S_OK;
            default:
                return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
    });
}

// UI activation at the container's request; the control's window takes the focus and
// passes it on to the page.
HRESULT KvNewTavrixControl::ActivateUserInterface(IOleClientSite* site, HWND parent,
                                                  LPCRECT position) {
    const HRESULT hr = ActivateInPlace(site, parent, position);
    if (SUCCEEDED(hr) && EnterUserInterfaceActive()) {
        SetFocus(form_->Window());
    }
    return hr;
}

// UI activation as containers expect it: the site hears OnUIActivate, then the frame and
// the document window learn the control's active object, which their message loop offers
// the keyboard through TranslateAccelerator. False when the control is not in place or is
// UI-active already.
bool KvNewTavrixControl::EnterUserInterfaceActive() {
    if (!in_place_active_ || ui_active_) {
        return false;
    }
    // The container may release the control, or deactivate it, inside these calls.
    const com::ComPtr<KvNewTavrixControl> keep_alive(this);
    const com::ComPtr<IOleInPlaceSite> site = in_place_site_;
    ui_active_ = true;
    site->OnUIActivate();
    SetActiveObjectOfContainer(static_cast<IOleInPlaceActiveObject*>(this));
    return true;
}

void KvNewTavrixControl::SetActiveObjectOfContainer(IOleInPlaceActiveObject* object) {
    if (frame_) {
        frame_->SetActiveObject(object, nullptr);
    }
    if (document_) {
        document_->SetActiveObject(object, nullptr);
    }
}

HRESULT KvNewTavrixControl::EnumVerbs(IEnumOLEVERB** verbs) noexcept {
    return OleRegEnumVerbs(CLSID_KvNewTavrix, verbs);
}

HRESULT KvNewTavrixControl::Update() noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::IsUpToDate() noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::GetUserClassID(CLSID* class_id) noexcept {
    return com::SetOut(class_id, CLSID_KvNewTavrix);
}

HRESULT KvNewTavrixControl::GetUserType(DWORD form, LPOLESTR* type) noexcept {
    return OleRegGetUserType(CLSID_KvNewTavrix, form, type);
}

HRESULT KvNewTavrixControl::SetExtent(DWORD aspect, SIZEL* size) noexcept {
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (const HRESULT hr = com::RequirePointers(size); FAILED(hr)) {
        return hr;
    }
    extent_ = *size;
    return S_OK;
}

HRESULT KvNewTavrixControl::GetExtent(DWORD aspect, SIZEL* size) noexcept {
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    return com::SetOut(size, extent_);
}

HRESULT KvNewTavrixControl::Advise(IAdviseSink* sink, DWORD* cookie) noexcept {
    if (!ole_advise_) {
        const HRESULT hr = CreateOleAdviseHolder(ole_advise_.Out());
        if (FAILED(hr)) {
            return hr;
        }
    }
    return ole_advise_->Advise(sink, cookie);
}

HRESULT KvNewTavrixControl::Unadvise(DWORD cookie) noexcept {
    return ole_advise_ ? ole_advise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT KvNewTavrixControl::EnumAdvise(IEnumSTATDATA** advise) noexcept {
    if (const HRESULT hr = com::RequirePointers(advise); FAILED(hr)) {
        return hr;
    }
    *advise = nullptr;
    return ole_advise_ ? ole_advise_->EnumAdvise(advise) : E_FAIL;
}

HRESULT KvNewTavrixControl::GetMiscStatus(DWORD, DWORD* status) noexcept {
    return com::SetOut(status, kMiscStatus);
}

HRESULT KvNewTavrixControl::SetColorScheme(LOGPALETTE*) noexcept {
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::GetControlInfo(CONTROLINFO* info) noexcept {
    if (const HRESULT hr = com::RequirePointers(info); FAILED(hr)) {
        return hr;
    }
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT KvNewTavrixControl::OnMnemonic(MSG*) noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::OnAmbientPropertyChange(DISPID) noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::FreezeEvents(BOOL) noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::GetWindow(HWND* window) noexcept {
    return com::SetOut(window, form_->Window());
}

HRESULT KvNewTavrixControl::ContextSensitiveHelp(BOOL) noexcept {
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::InPlaceDeactivate() noexcept {
    return com::ComGuardAnswer([&]() -> HRESULT {
        if (!in_place_active_) {
            return S_OK;
        }
        UIDeactivate();
        in_place_active_ = false;
        frame_.Reset();
        document_.Reset();
        form_->Park();
        if (const com::ComPtr<IOleInPlaceSite> site = std::move(in_place_site_)) {
            site->OnInPlaceDeactivate();
        }
        return S_OK;
    });
}

// The page leaves UI activation with the control, so that the next click into it makes the
// control its container's UI-active object again.
HRESULT KvNewTavrixControl::UIDeactivate() noexcept {
    if (ui_active_) {
        ui_active_ = false;
        if (browser_) {
            browser_->DeactivateUserInterface();
        }
        SetActiveObjectOfContainer(nullptr);
        if (in_place_site_) {
            in_place_site_->OnUIDeactivate(FALSE);
        }
    }
    return S_OK;
}

HRESULT KvNewTavrixControl::SetObjectRects(LPCRECT position, LPCRECT) noexcept {
    return com::ComGuardAnswer([&]() -> HRESULT {
        if (const HRESULT hr = com::RequirePointers(position); FAILED(hr)) {
            return hr;
        }
        form_->Move(*position);
        return S_OK;
    });
}

HRESULT KvNewTavrixControl::ReactivateAndUndo() noexcept {
    return E_NOTIMPL;
}

// The container offers keyboard messages here while the control is UI-active; they go on to
// the engine's own active object (Tab, clipboard keys, Delete and the like).
HRESULT KvNewTavrixControl::TranslateAccelerator(LPMSG message) noexcept {
    if (message == nullptr) {
        return E_INVALIDARG;
    }
    return browser_ && browser_->TranslateAccelerator(*message) ? S_OK : S_FALSE;
}

HRESULT KvNewTavrixControl::OnFrameWindowActivate(BOOL) noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::OnDocWindowActivate(BOOL) noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::EnableModeless(BOOL) noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT* result,
                                             DWORD* cookie) noexcept {
    return com::AnswerEmpty(S_OK, result, cookie);  // the message goes on to the window
}

HRESULT KvNewTavrixControl::PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*,
                                              DWORD) noexcept {
    return S_OK;
}

}  // namespace kvt::server
