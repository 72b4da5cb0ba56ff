#pragma once
// The process's COM server state: the DLL's module handle, its path, and the counters that
// answer DllCanUnloadNow (live control objects, server locks, factory references).

#include <windows.h>

#include "base/text.h"

namespace kvt::server {

class ServerState {
  public:
    static void SetModule(HMODULE module);
    static HMODULE Module();
    // The DLL's full path, and the same path in short (8.3) form where the file system
    // has one (else the full path).
    static WideString ModulePath();
    static WideString ShortModulePath();

    static void ObjectCreated();
    static void ObjectDestroyed();
    // LockServer: a lock counts as a live object.
    static void Lock();
    static void Unlock();
    static void FactoryReferenced();
    static void FactoryReleased();
    static bool CanUnload();
};

}  // namespace kvt::server
