#pragma once
// The engine's DWebBrowserEvents2 connection point: keeps the advised sinks and calls them.

#include <windows.h>

#include <ocidl.h>

#include <functional>
#include <map>
#include <string>

#include "com/com_object_win.h"
#include "engine_server_win.h"

namespace kvt::engine {

class EventPoint final : public com::ComObjectBase<IConnectionPoint> {
  public:
    // `note` records each advise and unadvise in the engine's record.
    EventPoint(IConnectionPointContainer* container, std::function<void(const wchar_t*)> note)
        : container_(container), note_(std::move(note)) {}

    // The container is going: the point no longer refers to it.
    void Cut() { container_ = nullptr; }
    // Calls every sink advised when the call starts, as a dispatch method without result.
    void Fire(DISPID id, DISPPARAMS& parameters);

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

  private:
    ModuleReference module_;
    IConnectionPointContainer* container_;  // not owned: the container owns the point
    std::function<void(const wchar_t*)> note_;
    std::map<DWORD, com::ComPtr<IDispatch>> sinks_;
    DWORD next_cookie_ = 1;
};

}  // namespace kvt::engine
