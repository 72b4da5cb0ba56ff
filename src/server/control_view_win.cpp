// The control object's picture for containers: IViewObject2 draws the control's face
// (the browser paints itself once in place); IDataObject offers no formats.
#include "com/out_param_win.h"
#include "server/control_object_win.h"

namespace kvt::server {

HRESULT KvNewTavrixControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                 LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                 ULONG_PTR) noexcept {
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (dc == nullptr || bounds == nullptr) {
        return E_INVALIDARG;
    }
    const RECT area{bounds->left, bounds->top, bounds->right, bounds->bottom};
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    return S_OK;
}

HRESULT KvNewTavrixControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                        LOGPALETTE** palette) noexcept {
    if (const HRESULT hr = com::RequirePointers(palette); FAILED(hr)) {
        return hr;
    }
    return com::AnswerEmpty(S_FALSE, palette);
}

HRESULT KvNewTavrixControl::Freeze(DWORD, LONG, void*, DWORD* freeze) noexcept {
    return com::NotImplemented(freeze);
}

HRESULT KvNewTavrixControl::Unfreeze(DWORD) noexcept {
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) noexcept {
    view_advise_ = sink;
    view_advise_aspects_ = aspects;
    view_advise_flags_ = flags;
    return S_OK;
}

HRESULT KvNewTavrixControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) noexcept {
    if (aspects != nullptr) {
        *aspects = view_advise_aspects_;
    }
    if (flags != nullptr) {
        *flags = view_advise_flags_;
    }
    if (sink != nullptr) {
        *sink = com::ComPtr<IAdviseSink>(view_advise_).Detach();
    }
    return S_OK;
}

HRESULT KvNewTavrixControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) noexcept {
    return GetExtent(aspect, size);
}

HRESULT KvNewTavrixControl::GetData(FORMATETC*, STGMEDIUM*) noexcept {
    return DV_E_FORMATETC;
}

HRESULT KvNewTavrixControl::GetDataHere(FORMATETC*, STGMEDIUM*) noexcept {
    return DV_E_FORMATETC;
}

HRESULT KvNewTavrixControl::QueryGetData(FORMATETC*) noexcept {
    return DV_E_FORMATETC;
}

HRESULT KvNewTavrixControl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept {
    if (out != nullptr) {
        out->ptd = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept {
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) noexcept {
    return com::NotImplemented(formats);
}

HRESULT KvNewTavrixControl::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT KvNewTavrixControl::DUnadvise(DWORD) noexcept {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT KvNewTavrixControl::EnumDAdvise(IEnumSTATDATA** advise) noexcept {
    return com::AnswerEmpty(OLE_E_ADVISENOTSUPPORTED, advise);
}

}  // namespace kvt::server
