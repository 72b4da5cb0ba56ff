#pragma once
// IDispatch for objects that carry no type information (event sinks, sites answering
// ambient properties, test doubles): callers use the DISPIDs they already know, so the
// type-information methods answer that there is none. List it in ComObjectBase in place
// of the dispatch interface it implements.

#include <windows.h>

#include <oaidl.h>

#include "com/out_param_win.h"

namespace kvt::com {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <typename Interface = IDispatch>
class DispatchWithoutTypeInfo : public Interface {
  public:
    using ComInterface = Interface;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
        return SetOut(count, 0);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override {
        return NotImplemented(info);
    }
    // No names either, unless the object overrides this.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                            DISPID*) noexcept override {
        return E_NOTIMPL;
    }
};
#pragma GCC diagnostic pop

}  // namespace kvt::com
