#include "server/server_state_win.h"

#include <string>

#include "com/bstr_win.h"

namespace kvt::server {

namespace {

HMODULE g_module = nullptr;
// Changed with interlocked operations: COM may release objects on any thread.
LONG g_objects = 0;
LONG g_factory_references = 0;

LONG Read(LONG& counter) {
    return InterlockedCompareExchange(&counter, 0, 0);
}

}  // namespace

void ServerState::SetModule(HMODULE module) {
    g_module = module;
}

HMODULE ServerState::Module() {
    return g_module;
}

WideString ServerState::ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(g_module, path.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            path.resize(length);
            return com::Bstr::FromZeroTerminated(path.c_str());
        }
        path.resize(path.size() * 2);
    }
}

WideString ServerState::ShortModulePath() {
    const std::wstring full = com::ToWindows(ModulePath());
    const DWORD length = GetShortPathNameW(full.c_str(), nullptr, 0);
    if (length == 0) {
        return com::Bstr::FromZeroTerminated(full.c_str());
    }
    std::wstring out(length, L'\0');
    const DWORD written = GetShortPathNameW(full.c_str(), out.data(), length);
    if (written == 0 || written >= length) {
        return com::Bstr::FromZeroTerminated(full.c_str());
    }
    out.resize(written);
    return com::Bstr::FromZeroTerminated(out.c_str());
}

void ServerState::ObjectCreated() {
    InterlockedIncrement(&g_objects);
}

void ServerState::ObjectDestroyed() {
    InterlockedDecrement(&g_objects);
}

void ServerState::Lock() {
    InterlockedIncrement(&g_objects);
}

void ServerState::Unlock() {
    InterlockedDecrement(&g_objects);
}

void ServerState::FactoryReferenced() {
    InterlockedIncrement(&g_factory_references);
}

void ServerState::FactoryReleased() {
    InterlockedDecrement(&g_factory_references);
}

bool ServerState::CanUnload() {
    return Read(g_objects) == 0 && Read(g_factory_references) == 0;
}

}  // namespace kvt::server
