#pragma once
// The IDispatch that the control advises on the host's connection point for
// IDvRangesEvents: each event call becomes one Invoke of the core's range-events
// dispatcher, arguments in first-to-last order.

#include <windows.h>

#include <oaidl.h>

#include <memory>

#include "com/event_sink_win.h"
#include "control/host_ports.h"

namespace kvt::server {

class RangeEventSink final : public com::EventSinkBase {
  public:
    explicit RangeEventSink(std::shared_ptr<host::RangeEventsDispatch> dispatch);

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                     VARIANT*, EXCEPINFO*, UINT*) noexcept override;

  private:
    std::shared_ptr<host::RangeEventsDispatch> dispatch_;
};

}  // namespace kvt::server
