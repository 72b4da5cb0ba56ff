// The control object's persistence: the control publishes no properties, so every form
// of persistence loads and saves the empty property set. Also quick activation and the
// (absent) property pages.
#include "com/out_param_win.h"
#include "server/com_identity.h"
#include "server/control_object_win.h"

namespace kvt::server {

HRESULT KvNewTavrixControl::GetClassID(CLSID* class_id) noexcept {
    return com::SetOut(class_id, CLSID_KvNewTavrix);
}

HRESULT KvNewTavrixControl::IsDirty() noexcept {
    return S_FALSE;
}

HRESULT KvNewTavrixControl::Load(LPSTREAM stream) noexcept {
    return com::RequirePointers(stream);
}

HRESULT KvNewTavrixControl::Save(LPSTREAM stream, BOOL) noexcept {
    return com::RequirePointers(stream);
}

HRESULT KvNewTavrixControl::GetSizeMax(ULARGE_INTEGER* size) noexcept {
    if (const HRESULT hr = com::RequirePointers(size); FAILED(hr)) {
        return hr;
    }
    size->QuadPart = 0;
    return S_OK;
}

HRESULT KvNewTavrixControl::InitNew() noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::InitNew(IStorage* storage) noexcept {
    return com::RequirePointers(storage);
}

HRESULT KvNewTavrixControl::Load(IStorage* storage) noexcept {
    return com::RequirePointers(storage);
}

HRESULT KvNewTavrixControl::Save(IStorage* storage, BOOL) noexcept {
    return com::RequirePointers(storage);
}

HRESULT KvNewTavrixControl::SaveCompleted(IStorage*) noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::HandsOffStorage() noexcept {
    return S_OK;
}

HRESULT KvNewTavrixControl::Load(IPropertyBag* bag, IErrorLog*) noexcept {
    return com::RequirePointers(bag);
}

HRESULT KvNewTavrixControl::Save(IPropertyBag* bag, BOOL, BOOL) noexcept {
    return com::RequirePointers(bag);
}

HRESULT KvNewTavrixControl::GetDisplayString(DISPID, BSTR* text) noexcept {
    return com::NotImplemented(text);
}

HRESULT KvNewTavrixControl::MapPropertyToPage(DISPID, CLSID* page) noexcept {
    return com::AnswerEmpty(PERPROP_E_NOPAGEAVAILABLE, page);
}

HRESULT KvNewTavrixControl::GetPredefinedStrings(DISPID, CALPOLESTR* strings,
                                                 CADWORD* cookies) noexcept {
    return com::NotImplemented(strings, cookies);
}

HRESULT KvNewTavrixControl::GetPredefinedValue(DISPID, DWORD, VARIANT*) noexcept {
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::GetPages(CAUUID* pages) noexcept {
    return com::SetOut(pages, CAUUID{});  // no pages
}

HRESULT KvNewTavrixControl::QuickActivate(QACONTAINER* container, QACONTROL* control) noexcept {
    if (const HRESULT hr = com::RequirePointers(container, control); FAILED(hr)) {
        return hr;
    }
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) {
        return E_INVALIDARG;
    }
    SetClientSite(container->pClientSite);
    if (container->pAdviseSink != nullptr) {
        SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    }
    const ULONG size = control->cbSize;
    *control = {};
    control->cbSize = size;
    control->dwMiscStatus = kMiscStatus;
    return S_OK;
}

HRESULT KvNewTavrixControl::SetContentExtent(LPSIZEL size) noexcept {
    return SetExtent(DVASPECT_CONTENT, size);
}

HRESULT KvNewTavrixControl::GetContentExtent(LPSIZEL size) noexcept {
    return GetExtent(DVASPECT_CONTENT, size);
}

}  // namespace kvt::server
