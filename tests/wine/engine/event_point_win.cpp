#include "event_point_win.h"

#include <exdisp.h>
#include <olectl.h>

#include <string>

#include "record_format.h"

namespace kvt::engine {

void EventPoint::Fire(DISPID id, DISPPARAMS& parameters) {
    // A copy: a sink may unadvise, or the control may go, while it is called.
    const std::map<DWORD, com::ComPtr<IDispatch>> sinks = sinks_;
    for (const auto& [cookie, sink] : sinks) {
        const HRESULT hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                        &parameters, nullptr, nullptr, nullptr);
        // Sinks answer S_OK; any other answer is noted, for a test to see a failure of an
        // event handler come back to the engine.
        if (hr != S_OK) {
            note_((L"a sink answered " + HexText(static_cast<ULONG>(hr))).c_str());
        }
    }
}

HRESULT EventPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) {
        return E_POINTER;
    }
    *iid = DIID_DWebBrowserEvents2;
    return S_OK;
}

HRESULT EventPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = com::ComPtr<IConnectionPointContainer>(container_).Detach();
    return container_ != nullptr ? S_OK : E_UNEXPECTED;
}

// The sink is asked for the event interface and, failing that, for IDispatch, as the
// engine's own connection points do.
HRESULT EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) {
        return E_POINTER;
    }
    com::ComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2, events.OutVoid())) &&
        FAILED(sink->QueryInterface(IID_IDispatch, events.OutVoid()))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = next_cookie_++;
    sinks_[*cookie] = events;
    note_(L"Advise DWebBrowserEvents2");
    return S_OK;
}

HRESULT EventPoint::Unadvise(DWORD cookie) {
    if (sinks_.erase(cookie) != 1) {
        note_(L"Unadvise of an unknown cookie");
        return CONNECT_E_NOCONNECTION;
    }
    note_(L"Unadvise DWebBrowserEvents2");
    return S_OK;
}

HRESULT EventPoint::EnumConnections(IEnumConnections** out) {
    if (out != nullptr) {
        *out = nullptr;
    }
    return E_NOTIMPL;
}

}  // namespace kvt::engine
