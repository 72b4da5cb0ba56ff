// The engine DLL's exports, its class object and directory of live engines.
#include "engine_server_win.h"

#include <algorithm>

#include "scripted_browser_win.h"

namespace kvt::engine {

namespace {

LONG g_objects = 0;
LONG g_locks = 0;

}  // namespace

ModuleReference::ModuleReference() {
    InterlockedIncrement(&g_objects);
}

ModuleReference::ModuleReference(const ModuleReference&) : ModuleReference() {}

ModuleReference::~ModuleReference() {
    InterlockedDecrement(&g_objects);
}

EngineDirectory& EngineDirectory::Instance() {
    static EngineDirectory directory;
    return directory;
}

bool EngineDirectory::CanUnload() {
    return g_objects == 0 && g_locks == 0;
}

void EngineDirectory::Add(ScriptedBrowser* engine) {
    engines_.push_back(engine);
}

void EngineDirectory::Remove(ScriptedBrowser* engine) {
    std::erase(engines_, engine);
}

HRESULT EngineDirectory::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *out = static_cast<IClassFactory*>(this);
    } else if (iid == __uuidof(IEngineDirectory)) {
        *out = static_cast<IEngineDirectory*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

// References to the class object keep the DLL loaded, as server locks do.
ULONG EngineDirectory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&g_locks));
}

ULONG EngineDirectory::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&g_locks));
}

HRESULT EngineDirectory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    const com::ComPtr<ScriptedBrowser> engine = ScriptedBrowser::CreateTop();
    for (const auto& [call, hr] : failing_in_new_) {
        engine->FailCall(call.c_str(), hr);
    }
    return engine->QueryInterface(iid, out);
}

HRESULT EngineDirectory::LockServer(BOOL lock) {
    if (lock) {
        InterlockedIncrement(&g_locks);
    } else {
        InterlockedDecrement(&g_locks);
    }
    return S_OK;
}

ULONG EngineDirectory::Count() {
    return static_cast<ULONG>(engines_.size());
}

HRESULT EngineDirectory::At(ULONG index, IScriptedEngine** engine) {
    if (engine == nullptr) {
        return E_POINTER;
    }
    *engine = nullptr;
    if (index >= engines_.size()) {
        return E_INVALIDARG;
    }
    return engines_[index]->QueryInterface(__uuidof(IScriptedEngine),
                                           reinterpret_cast<void**>(engine));
}

HRESULT EngineDirectory::SetObserver(IEngineObserver* observer) {
    observer_ = observer;
    return S_OK;
}

HRESULT EngineDirectory::FailInNewEngines(const wchar_t* call, HRESULT hr) {
    if (call == nullptr) {
        return E_POINTER;
    }
    try {
        if (hr == S_OK) {
            failing_in_new_.erase(call);
        } else {
            failing_in_new_[call] = hr;
        }
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace kvt::engine

using kvt::engine::EngineDirectory;

STDAPI DllGetClassObject(REFCLSID class_id, REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (class_id != kvt::engine::kEngineClassId) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return EngineDirectory::Instance().QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() {
    return EngineDirectory::CanUnload() ? S_OK : S_FALSE;
}
