// The control object's persistence: the control publishes no properties, so every form
// of persistence loads and saves the empty property set. Also quick activation and the
// (absent) property pages.
#include "server/com_identity.h"
#include "server/control_object_win.h"

namespace kvt::server {

HRESULT KvNewTavrixControl::GetClassID(CLSID* class_id) {
    if (class_id == nullptr) {
        return E_POINTER;
    }
    *class_id = CLSID_KvNewTavrix;
    return S_OK;
}

HRESULT KvNewTavrixControl::IsDirty() {
    return S_FALSE;
}

HRESULT KvNewTavrixControl::Load(LPSTREAM stream) {
    return stream != nullptr ? S_OK : E_POINTER;
}

HRESULT KvNewTavrixControl::Save(LPSTREAM stream, BOOL) {
    return stream != nullptr ? S_OK : E_POINTER;
}

HRESULT KvNewTavrixControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    size->QuadPart = 0;
    return S_OK;
}

HRESULT KvNewTavrixControl::InitNew() {
    return S_OK;
}

HRESULT KvNewTavrixControl::InitNew(IStorage* storage) {
    return storage != nullptr ? S_OK : E_POINTER;
}

HRESULT KvNewTavrixControl::Load(IStorage* storage) {
    return storage != nullptr ? S_OK : E_POINTER;
}

HRESULT KvNewTavrixControl::Save(IStorage* storage, BOOL) {
    return storage != nullptr ? S_OK : E_POINTER;
}

HRESULT KvNewTavrixControl::SaveCompleted(IStorage*) {
    return S_OK;
}

HRESULT KvNewTavrixControl::HandsOffStorage() {
    return S_OK;
}

HRESULT KvNewTavrixControl::Load(IPropertyBag* bag, IErrorLog*) {
    return bag != nullptr ? S_OK : E_POINTER;
}

HRESULT KvNewTavrixControl::Save(IPropertyBag* bag, BOOL, BOOL) {
    return bag != nullptr ? S_OK : E_POINTER;
}

HRESULT KvNewTavrixControl::GetDisplayString(DISPID, BSTR* text) {
    if (text != nullptr) {
        *text = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::MapPropertyToPage(DISPID, CLSID* page) {
    if (page != nullptr) {
        *page = CLSID_NULL;
    }
    return PERPROP_E_NOPAGEAVAILABLE;
}

HRESULT KvNewTavrixControl::GetPredefinedStrings(DISPID, CALPOLESTR* strings, CADWORD* cookies) {
    if (strings != nullptr) {
        *strings = {};
    }
    if (cookies != nullptr) {
        *cookies = {};
    }
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::GetPredefinedValue(DISPID, DWORD, VARIANT*) {
    return E_NOTIMPL;
}

HRESULT KvNewTavrixControl::GetPages(CAUUID* pages) {
    if (pages == nullptr) {
        return E_POINTER;
    }
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}

HRESULT KvNewTavrixControl::QuickActivate(QACONTAINER* container, QACONTROL* control) {
    if (container == nullptr || control == nullptr) {
        return E_POINTER;
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

HRESULT KvNewTavrixControl::SetContentExtent(LPSIZEL size) {
    return SetExtent(DVASPECT_CONTENT, size);
}

HRESULT KvNewTavrixControl::GetContentExtent(LPSIZEL size) {
    return GetExtent(DVASPECT_CONTENT, size);
}

}  // namespace kvt::server
