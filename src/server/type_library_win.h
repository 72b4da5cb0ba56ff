#pragma once
// The control's type library, loaded from the DLL's own TYPELIB resource, and the class's
// type information in it.

#include <windows.h>

#include <oaidl.h>

#include <string>

#include "com/com_ptr_win.h"
#include "server/registry_plan.h"

namespace kvt::server {

class ControlTypeLibrary {
  public:
    // Loads the library from the file at `path` (the DLL holds it as its TYPELIB resource);
    // raises "Type information missing for class %s" when it does not describe the
    // control's class.
    explicit ControlTypeLibrary(const std::wstring& path);

    // The process's instance, loaded from the DLL on first use; Release lets it go before
    // unloading.
    static ControlTypeLibrary& Instance();
    static void Release();

    const com::ComPtr<ITypeLib>& Library() const { return library_; }
    const com::ComPtr<ITypeInfo>& ClassInfo() const { return class_info_; }
    // The type information of the class's default interface IKvNewTavrix.
    const com::ComPtr<ITypeInfo>& InterfaceInfo() const { return interface_info_; }
    const TypeLibraryFacts& Facts() const { return facts_; }

  private:
    com::ComPtr<ITypeLib> library_;
    com::ComPtr<ITypeInfo> class_info_;
    com::ComPtr<ITypeInfo> interface_info_;
    TypeLibraryFacts facts_;
};

// "{...}" text of an identifier.
WideString GuidText(REFGUID guid);

}  // namespace kvt::server
