#pragma once
// Registering and unregistering the server: the type library with the system, and the
// registry keys of the plan (registry_plan.h) under HKEY_CLASSES_ROOT.

namespace kvt::server {

// Raises "Error creating system registry entry" at the first key that cannot be written;
// what was written before stays.
void RegisterServer();

// Every deletion ignores failures, so unregistering twice succeeds.
void UnregisterServer();

}  // namespace kvt::server
