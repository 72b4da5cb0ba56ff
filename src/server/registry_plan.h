#pragma once
// What registering and unregistering the COM server write to and delete from the registry,
// in order, under HKEY_CLASSES_ROOT. The Windows back end executes the plan; computing it
// here keeps the rules testable without a registry.

#include <cstdint>
#include <vector>

#include "base/text.h"

namespace kvt::server {

// One string value; an empty name stands for the key's default value.
struct RegistryValue {
    WideString name;
    WideString data;
    bool operator==(const RegistryValue&) const = default;
};

// A key to create (or open) and the values to set in it at once, in order.
struct RegistryKey {
    WideString path;
    std::vector<RegistryValue> values;
    bool operator==(const RegistryKey&) const = default;
};

// What the control's type library says about itself and its one class.
struct TypeLibraryFacts {
    WideString library_name;
    WideString library_id;  // braced
    std::uint16_t major_version = 0;
    std::uint16_t minor_version = 0;
    WideString class_id;  // braced
    WideString class_name;
    WideString class_description;  // the class's help string
};

struct ServerIdentity {
    WideString class_id;    // braced
    WideString library_id;  // braced
    WideString prog_id;
    WideString description;
    std::uint16_t major_version = 0;
    std::uint16_t minor_version = 0;
    int toolbox_bitmap = 0;
    std::uint32_t misc_status = 0;  // as stored, factory and control bits combined
    std::vector<WideString> verbs;  // names, numbered from 0
    WideString threading_model;
};

// Where the DLL lies: its full path and the same path in short (8.3) form.
struct ServerLocation {
    WideString long_path;
    WideString short_path;
};

// The identity of the DLL's one control class: names and identifiers from its type
// library, the factory's fixed settings, and the one verb under the given name.
ServerIdentity ControlServerIdentity(const TypeLibraryFacts& facts, const WideString& verb_name);

// The path InprocServer32 names: the short form when the full path contains a blank.
WideString InprocServerPath(const ServerLocation& location);

// The keys to write, in order. No component-category keys.
std::vector<RegistryKey> RegistrationKeys(const ServerIdentity& identity,
                                          const ServerLocation& location);

// The keys to delete, in order, each deletion ignoring failures.
std::vector<WideString> UnregistrationKeys(const ServerIdentity& identity);

}  // namespace kvt::server
