#pragma once
// The control's type library, loaded from the DLL's own TYPELIB resource, and the class's
// type information in it.

#include <windows.h>

#include <oaidl.h>

#include "com/com_ptr_win.h"
#include "com/registry_plan.h"

namespace kvt::com {

class ControlTypeLibrary {
  public:
    // Loads the library; raises "Type information missing for class %s" when it does not
    // describe the control's class.
    ControlTypeLibrary();

    // The process's instance, loaded on first use; Release lets it go before unloading.
    static ControlTypeLibrary& Instance();
    static void Release();

    const ComPtr<ITypeLib>& Library() const { return library_; }
    const ComPtr<ITypeInfo>& ClassInfo() const { return class_info_; }
    // The type information of the class's default interface IKvNewTavrix.
    const ComPtr<ITypeInfo>& InterfaceInfo() const { return interface_info_; }
    const TypeLibraryFacts& Facts() const { return facts_; }

  private:
    ComPtr<ITypeLib> library_;
    ComPtr<ITypeInfo> class_info_;
    ComPtr<ITypeInfo> interface_info_;
    TypeLibraryFacts facts_;
};

// "{...}" text of an identifier.
WideString GuidText(REFGUID guid);

}  // namespace kvt::com
