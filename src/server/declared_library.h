#pragma once
// What the control's type library (kvnewtavrixproj.idl) and the DLL's resources declare,
// for tools that run where neither can be loaded: the installer's registry generator. The
// DLL itself reads the same facts from its embedded library at run time; the Wine package
// test checks that an installation and a registration through the DLL write the same keys.

#include "base/text.h"
#include "server/registry_plan.h"
#include "server/type_library_keys.h"

namespace kvt::server {

TypeLibraryFacts DeclaredTypeLibraryFacts();

// The name of verb 0, the string resource KVT_IDS_VERB_PROPERTIES.
WideString DeclaredVerbName();

// The library as RegisterTypeLib sees it in the DLL built for 64-bit or 32-bit Windows.
TypeLibraryRegistration DeclaredTypeLibraryRegistration(bool win64);

}  // namespace kvt::server
