#pragma once
// Automation VARIANTs and the core's Variant: an owning VARIANT and the conversions both
// ways. COM objects travel inside the core as ComObject.

#include <windows.h>

#include <oleauto.h>

#include "base/variant.h"
#include "com/com_ptr_win.h"

namespace kvt::com {

// A COM object held by the core.
class ComObject final : public InterfaceBase {
  public:
    explicit ComObject(ComPtr<IUnknown> object) : object_(std::move(object)) {}
    const ComPtr<IUnknown>& Object() const { return object_; }

  private:
    ComPtr<IUnknown> object_;
};

// An owned VARIANT, cleared on destruction.
class ComVariant {
  public:
    ComVariant() { VariantInit(&v_); }
    ComVariant(const ComVariant&) = delete;
    ComVariant& operator=(const ComVariant&) = delete;
    ~ComVariant() { VariantClear(&v_); }

    VARIANT* Get() { return &v_; }
    const VARIANT* Get() const { return &v_; }
    // For out parameters: clears the current value first.
    VARIANT* Out() {
        VariantClear(&v_);
        return &v_;
    }

  private:
    VARIANT v_;
};

// Raises EOleError (DISP_E_BADVARTYPE) for kinds the core does not know. By-reference
// values are read through their reference.
Variant FromVariant(const VARIANT& value);

// The same for values that are passed on but never looked at: what cannot be read
// becomes empty.
Variant FromVariantOrEmpty(const VARIANT& value);

// Writes `value` into `out`, which must be cleared or initialised; the caller owns the
// result. An 8-bit string becomes a BSTR, a byte array a SAFEARRAY of VT_UI1 from 0.
void ToVariant(const Variant& value, VARIANT& out);

// The COM object inside a core interface value; empty when it holds none.
ComPtr<IUnknown> ObjectOf(const Variant& value);

}  // namespace kvt::com
