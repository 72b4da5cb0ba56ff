#pragma once
// The engine DLL's class object, which is also its directory of live engines, and the count
// of live objects that keeps the DLL loaded.

#include <windows.h>

#include <unknwn.h>

#include <map>
#include <string>
#include <vector>

#include "com/com_ptr_win.h"
#include "scripted_engine.h"

namespace kvt::engine {

class ScriptedBrowser;

// Held by every object of the DLL: while one lives, DllCanUnloadNow answers S_FALSE.
class ModuleReference {
  public:
    ModuleReference();
    ModuleReference(const ModuleReference&);
    ModuleReference& operator=(const ModuleReference&) = default;
    ~ModuleReference();
};

// It lives as long as the DLL and is never deleted through an interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class EngineDirectory final : public IClassFactory, public IEngineDirectory {
  public:
    static EngineDirectory& Instance();
    static bool CanUnload();

    void Add(ScriptedBrowser* engine);
    void Remove(ScriptedBrowser* engine);
    com::ComPtr<IEngineObserver> Observer() const { return observer_; }
    // The next engine's number, from 1.
    ULONG NextSerial() { return ++serials_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IClassFactory: top-level engines; aggregation is not supported.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
    // IEngineDirectory
    ULONG STDMETHODCALLTYPE Count() override;
    HRESULT STDMETHODCALLTYPE At(ULONG index, IScriptedEngine** engine) override;
    HRESULT STDMETHODCALLTYPE SetObserver(IEngineObserver* observer) override;
    HRESULT STDMETHODCALLTYPE FailInNewEngines(const wchar_t* call, HRESULT hr) override;

  private:
    EngineDirectory() = default;

    std::vector<ScriptedBrowser*> engines_;  // not owned: each removes itself when it goes
    com::ComPtr<IEngineObserver> observer_;
    ULONG serials_ = 0;
    std::map<std::wstring, HRESULT> failing_in_new_;
};
#pragma GCC diagnostic pop

}  // namespace kvt::engine
