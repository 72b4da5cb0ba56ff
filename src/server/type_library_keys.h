#pragma once
// What the system's RegisterTypeLib writes for the control's type library, computed
// without loading it: the library's key under TypeLib and, for its one dual interface,
// the key under Interface. An installer that writes the registry itself must write the
// same keys that registration through the DLL leaves.

#include <cstdint>
#include <vector>

#include "base/text.h"
#include "server/registry_plan.h"

namespace kvt::server {

// What RegisterTypeLib reads from the library and its dual interfaces.
struct TypeLibraryRegistration {
    WideString library_id;  // braced
    std::uint16_t major_version = 0;
    std::uint16_t minor_version = 0;
    std::uint32_t locale = 0;
    std::uint16_t flags = 0;  // LIBFLAG_* as stored in the library
    bool win64 = false;       // the library's system kind: SYS_WIN64 or SYS_WIN32
    WideString help_string;   // the library's documentation string
    WideString interface_id;  // braced
    WideString interface_name;
};

// The library's own keys, for the file at `path` with help directory `help_directory`,
// in the order RegisterTypeLib writes them.
std::vector<RegistryKey> TypeLibraryKeys(const TypeLibraryRegistration& library,
                                         const WideString& path, const WideString& help_directory);

// The keys of the dual interface, which RegisterTypeLib ties to the library and to the
// automation marshaler.
std::vector<RegistryKey> InterfaceKeys(const TypeLibraryRegistration& library);

}  // namespace kvt::server
