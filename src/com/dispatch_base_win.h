#pragma once
// IDispatch for objects that carry no type information (event sinks, sites answering
// ambient properties, test doubles): callers use the DISPIDs they already know, so the
// type-information methods answer that there is none. List it in ComObjectBase in place
// of the dispatch interface it implements.

#include <windows.h>

#include <oaidl.h>

namespace kvt::com {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <typename Interface = IDispatch>
class DispatchWithoutTypeInfo : public Interface {
  public:
    using ComInterface = Interface;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }
    // No names either, unless the object overrides this.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
};
#pragma GCC diagnostic pop

}  // namespace kvt::com
