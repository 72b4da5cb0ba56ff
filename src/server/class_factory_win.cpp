#include "server/class_factory_win.h"

#include "com/com_error_win.h"
#include "com/out_param_win.h"
#include "server/control_object_win.h"
#include "server/server_state_win.h"
#include "server/type_library_win.h"

namespace kvt::server {

ControlFactory::ControlFactory() {
    ControlTypeLibrary::Instance();
}

ControlFactory& ControlFactory::Instance() {
    static ControlFactory factory;
    return factory;
}

HRESULT ControlFactory::QueryInterface(REFIID iid, void** out) noexcept {
    if (const HRESULT hr = com::RequirePointers(out); FAILED(hr)) {
        return hr;
    }
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// The factory lives as long as the DLL; its references only count for unloading.
ULONG ControlFactory::AddRef() noexcept {
    ServerState::FactoryReferenced();
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG ControlFactory::Release() noexcept {
    ServerState::FactoryReleased();
    return static_cast<ULONG>(InterlockedDecrement(&references_));
}

HRESULT ControlFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept {
    if (const HRESULT hr = com::RequirePointers(out); FAILED(hr)) {
        return hr;
    }
    *out = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    return com::ComGuardAnswer([&] { return KvNewTavrixControl::Create(iid, out); });
}

HRESULT ControlFactory::LockServer(BOOL lock) noexcept {
    if (lock) {
        ServerState::Lock();
    } else {
        ServerState::Unlock();
    }
    return S_OK;
}

}  // namespace kvt::server
