#pragma once
// The registry entries a Windows Installer package writes in place of registering the DLL:
// the keys of the registration plan (registry_plan.h) and those RegisterTypeLib writes
// (type_library_keys.h), with the DLL's location as Windows Installer formatted text, so
// that an installation leaves exactly what `regsvr32` leaves for the same location.

#include <string>
#include <vector>

#include "base/text.h"

namespace kvt::server {

enum class InstallerArchitecture { X86, X64 };

// The File table key of the DLL and the directory property of its folder.
inline constexpr std::u16string_view kInstallerFileKey = u"KvNewTavrixProj.dll";
inline constexpr std::u16string_view kInstallerDirectory = u"INSTALLDIR";

// One REG_SZ value under HKEY_CLASSES_ROOT; key and data are formatted text. An empty
// name stands for the key's default value.
struct InstallerValue {
    WideString key;
    WideString name;
    WideString data;
    bool operator==(const InstallerValue&) const = default;
};

struct InstallerComponent {
    std::string id;
    bool other_view = false;  // the 32-bit registry view of a 64-bit package
    std::string condition;    // a Windows Installer condition; empty: always installed
    std::vector<InstallerValue> values;
};

// The components, in order: the values that do not depend on the folder, then the values
// that do, once for a folder whose path holds a blank and once for one without, each under
// its condition; for a 64-bit package, last, the interface keys RegisterTypeLib also writes
// into the 32-bit view.
std::vector<InstallerComponent> InstallerRegistry(InstallerArchitecture architecture);

// Literal text as formatted text: brackets escaped, a leading '#' doubled so that the
// value stays a string.
WideString FormattedLiteral(const WideString& text);

}  // namespace kvt::server
