// The DLL's entry point and its four exports.
#include <windows.h>

#include <ole2.h>

#include "com/com_error_win.h"
#include "com/out_param_win.h"
#include "kvnewtavrixproj.h"
#include "server/class_factory_win.h"
#include "server/registration_win.h"
#include "server/server_state_win.h"
#include "server/type_library_win.h"
#include "ui/popup_window_win.h"

using kvt::server::ServerState;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ServerState::SetModule(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded by FreeLibrary (not at process exit): COM is still up to take the
        // type library back.
        kvt::server::ControlTypeLibrary::Release();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID class_id, REFIID iid, void** out) {
    if (const HRESULT hr = kvt::com::RequirePointers(out); FAILED(hr)) {
        return hr;
    }
    *out = nullptr;
    if (class_id != CLSID_KvNewTavrix) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return kvt::com::ComGuardAnswer(
        [&] { return kvt::server::ControlFactory::Instance().QueryInterface(iid, out); });
}

// A live popup runs its modal loop in this DLL's code, even after its control has gone.
STDAPI DllCanUnloadNow() {
    return ServerState::CanUnload() && !kvt::ui::AnyPopupLive() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    return SUCCEEDED(kvt::com::ComGuard(kvt::server::RegisterServer)) ? S_OK : E_FAIL;
}

STDAPI DllUnregisterServer() {
    return SUCCEEDED(kvt::com::ComGuard(kvt::server::UnregisterServer)) ? S_OK : E_FAIL;
}
