#pragma once
// The IDispatch that the control advises on the host's connection point for
// IDvRangesEvents: each event call becomes one Invoke of the core's range-events
// dispatcher, arguments in first-to-last order.

#include <windows.h>

#include <oaidl.h>

#include <memory>

#include "com/com_object_win.h"
#include "control/host_ports.h"

namespace kvt::com {

class RangeEventSink final : public ComObjectBase<IDispatch> {
  public:
    explicit RangeEventSink(std::shared_ptr<host::RangeEventsDispatch> dispatch)
        : dispatch_(std::move(dispatch)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                     VARIANT*, EXCEPINFO*, UINT*) override;

  private:
    std::shared_ptr<host::RangeEventsDispatch> dispatch_;
};

}  // namespace kvt::com
