#pragma once
// Calls on an automation object by member name, through IDispatch.

#include <windows.h>

#include <oaidl.h>

#include <initializer_list>
#include <string_view>

#include "base/variant.h"
#include "com/com_ptr_win.h"

namespace kvt::com {

// Reads the property `name`; raises EOleError when the object does not know it or fails.
Variant GetProperty(IDispatch& object, std::u16string_view name);
// The property `name` read with arguments (an indexed property such as Item).
Variant GetProperty(IDispatch& object, std::u16string_view name,
                    std::initializer_list<Variant> arguments);
// Calls the method `name`; arguments first to last.
Variant CallMethod(IDispatch& object, std::u16string_view name,
                   std::initializer_list<Variant> arguments = {});
// The object inside a result; raises EOleError when there is none.
ComPtr<IDispatch> DispatchOf(const Variant& value, const char* what);

}  // namespace kvt::com
