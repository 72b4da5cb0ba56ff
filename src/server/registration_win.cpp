#include "server/registration_win.h"

#include <windows.h>

#include <oleauto.h>

#include "base/errors.h"
#include "com/bstr_win.h"
#include "com/com_error_win.h"
#include "com/handle_win.h"
#include "kvnewtavrixproj.h"
#include "resource_ids.h"
#include "server/com_identity.h"
#include "server/registry_plan.h"
#include "server/server_state_win.h"
#include "server/type_library_win.h"

namespace kvt::server {

namespace {

WideString VerbName() {
    const wchar_t* text = nullptr;
    // With a zero buffer size the call hands out a pointer into the resource itself.
    const int length = LoadStringW(ServerState::Module(), KVT_IDS_VERB_PROPERTIES,
                                   reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        throw Exception("The verb name resource is missing");
    }
    return WideString(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length));
}

ServerIdentity Identity() {
    return ControlServerIdentity(ControlTypeLibrary::Instance().Facts(), VerbName());
}

// The DLL's folder with its trailing separator, the form in which Windows Installer writes
// folders, so that a package writes the same help directory; a DLL in a drive's root gets
// "C:\", not "C:", which names the drive's current directory.
WideString FolderOf(const WideString& path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    return slash == WideString::npos ? WideString() : path.substr(0, slash + 1);
}

void RegisterTypeLibrary(const WideString& path) {
    std::wstring file = com::ToWindows(path);
    std::wstring help_directory = com::ToWindows(FolderOf(path));
    com::Check(RegisterTypeLib(ControlTypeLibrary::Instance().Library().Get(), file.data(),
                               help_directory.data()),
               "RegisterTypeLib");
}

void WriteKey(const RegistryKey& plan) {
    com::UniqueHkey key;
    const std::wstring path = com::ToWindows(plan.path);
    LONG status =
        RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0,
                        KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, key.Out(), nullptr);
    for (const RegistryValue& value : plan.values) {
        if (status != ERROR_SUCCESS) {
            break;
        }
        const std::wstring name = com::ToWindows(value.name);
        const std::wstring data = com::ToWindows(value.data);
        // REG_SZ stored with its terminating zero.
        status = RegSetValueExW(key.Get(), value.name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    if (status != ERROR_SUCCESS) {
        throw Exception("Error creating system registry entry");
    }
}

using UnRegisterTypeLibFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

// Looked up by name, so a system without it skips the step.
void UnregisterTypeLibrary() {
    HMODULE oleaut = GetModuleHandleW(L"OLEAUT32.DLL");
    if (oleaut == nullptr) {
        return;
    }
    const auto unregister = reinterpret_cast<UnRegisterTypeLibFunction>(
        reinterpret_cast<void*>(GetProcAddress(oleaut, "UnRegisterTypeLib")));
    if (unregister == nullptr) {
        return;
    }
    const SYSKIND system = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    unregister(LIBID_KvNewTavrixProj, kLibraryMajor, kLibraryMinor, kLibraryLocale, system);
}

}  // namespace

void RegisterServer() {
    const ServerIdentity identity = Identity();
    const ServerLocation location{ServerState::ModulePath(), ServerState::ShortModulePath()};
    RegisterTypeLibrary(location.long_path);
    for (const RegistryKey& key : RegistrationKeys(identity, location)) {
        WriteKey(key);
    }
}

void UnregisterServer() {
    const ServerIdentity identity = Identity();
    UnregisterTypeLibrary();
    for (const WideString& path : UnregistrationKeys(identity)) {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, com::ToWindows(path).c_str());
    }
}

}  // namespace kvt::server
