#pragma once
// The DWebBrowserEvents2 sink of an embedded WebBrowser: turns the engine's event calls
// into calls of the core's BrowserEvents. A failure of a handler never reaches the engine.

#include <windows.h>

#include <oaidl.h>

#include <memory>

#include "browser/browser_port.h"
#include "com/event_sink_win.h"

namespace kvt::browser {

class BrowserEventSink final : public com::EventSinkBase {
  public:
    BrowserEventSink();
    void SetEvents(std::weak_ptr<BrowserEvents> events) { events_ = std::move(events); }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                     VARIANT*, EXCEPINFO*, UINT*) noexcept override;

  private:
    std::weak_ptr<BrowserEvents> events_;
};

}  // namespace kvt::browser
