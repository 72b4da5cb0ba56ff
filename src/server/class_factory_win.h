#pragma once
// The one class factory of the DLL: makes control objects; its references and LockServer
// locks keep the DLL loaded.

#include <windows.h>

#include <unknwn.h>

namespace kvt::server {

// It lives as long as the DLL and is never deleted through an interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ControlFactory final : public IClassFactory {
  public:
    // The process's factory; creating it loads the type library first, so a library that
    // does not describe the class fails here.
    static ControlFactory& Instance();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                             void** out) noexcept override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override;

  private:
    ControlFactory();
    LONG references_ = 0;
};
#pragma GCC diagnostic pop

}  // namespace kvt::server
