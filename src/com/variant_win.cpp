#include "com/variant_win.h"

#include <cstring>

#include "base/errors.h"
#include "com/bstr_win.h"
#include "com/com_error_win.h"

namespace kvt::com {

namespace {

[[noreturn]] void BadType(VARTYPE type) {
    throw EOleError(static_cast<HResult>(DISP_E_BADVARTYPE),
                    "Variant type " + std::to_string(type) + " is not supported");
}

Variant FromByteArray(SAFEARRAY* array) {
    if (array == nullptr) {
        return Variant::Bytes({});
    }
    LONG lower = 0;
    LONG upper = -1;
    Check(SafeArrayGetLBound(array, 1, &lower), "SafeArrayGetLBound");
    Check(SafeArrayGetUBound(array, 1, &upper), "SafeArrayGetUBound");
    Variant::ByteArray bytes(static_cast<std::size_t>(upper - lower + 1));
    if (!bytes.empty()) {
        void* data = nullptr;
        Check(SafeArrayAccessData(array, &data), "SafeArrayAccessData");
        std::memcpy(bytes.data(), data, bytes.size());
        SafeArrayUnaccessData(array);
    }
    return Variant::Bytes(std::move(bytes));
}

Variant FromObject(IUnknown* object) {
    if (object == nullptr) {
        return Variant(std::shared_ptr<InterfaceBase>());
    }
    return Variant(std::shared_ptr<InterfaceBase>(std::make_shared<ComObject>(object)));
}

SAFEARRAY* ToByteArray(const Variant::ByteArray& bytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (array == nullptr) {
        throw EOleError(static_cast<HResult>(E_OUTOFMEMORY), "SafeArrayCreateVector failed");
    }
    if (!bytes.empty()) {
        void* data = nullptr;
        if (FAILED(SafeArrayAccessData(array, &data))) {
            SafeArrayDestroy(array);
            throw EOleError(static_cast<HResult>(E_UNEXPECTED), "SafeArrayAccessData failed");
        }
        std::memcpy(data, bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
    }
    return array;
}

}  // namespace

Variant FromVariant(const VARIANT& value) {
    const VARTYPE type = V_VT(&value);
    if (type == (VT_BYREF | VT_VARIANT)) {
        return V_VARIANTREF(&value) == nullptr ? Variant() : FromVariant(*V_VARIANTREF(&value));
    }
    const bool by_ref = (type & VT_BYREF) != 0;
    switch (type & ~VT_BYREF) {
        case VT_EMPTY:
            return {};
        case VT_NULL:
            return Variant::Null();
        case VT_I1:
            return Variant::Int8(
                static_cast<std::int8_t>(by_ref ? *V_I1REF(&value) : V_I1(&value)));
        case VT_UI1:
            return Variant::UInt8(by_ref ? *V_UI1REF(&value) : V_UI1(&value));
        case VT_I2:
            return Variant::Int16(by_ref ? *V_I2REF(&value) : V_I2(&value));
        case VT_UI2:
            return Variant::UInt16(by_ref ? *V_UI2REF(&value) : V_UI2(&value));
        case VT_I4:
            return Variant(static_cast<std::int32_t>(by_ref ? *V_I4REF(&value) : V_I4(&value)));
        case VT_INT:
            return Variant(static_cast<std::int32_t>(by_ref ? *V_INTREF(&value) : V_INT(&value)));
        case VT_UI4:
            return Variant::UInt32(
                static_cast<std::uint32_t>(by_ref ? *V_UI4REF(&value) : V_UI4(&value)));
        case VT_I8:
            return Variant(static_cast<std::int64_t>(by_ref ? *V_I8REF(&value) : V_I8(&value)));
        case VT_UI8:
            return Variant::UInt64(by_ref ? *V_UI8REF(&value) : V_UI8(&value));
        case VT_R4:
            return Variant(static_cast<double>(by_ref ? *V_R4REF(&value) : V_R4(&value)));
        case VT_R8:
            return Variant(by_ref ? *V_R8REF(&value) : V_R8(&value));
        case VT_BOOL:
            return Variant((by_ref ? *V_BOOLREF(&value) : V_BOOL(&value)) != VARIANT_FALSE);
        case VT_BSTR:
            return Variant(Bstr::ToWide(by_ref ? *V_BSTRREF(&value) : V_BSTR(&value)));
        case VT_DISPATCH:
            return FromObject(by_ref ? *V_DISPATCHREF(&value) : V_DISPATCH(&value));
        case VT_UNKNOWN:
            return FromObject(by_ref ? *V_UNKNOWNREF(&value) : V_UNKNOWN(&value));
        case VT_ARRAY | VT_UI1:
            return FromByteArray(by_ref ? *V_ARRAYREF(&value) : V_ARRAY(&value));
        default:
            BadType(type);
    }
}

void ToVariant(const Variant& value, VARIANT& out) {
    VariantInit(&out);
    switch (value.Kind()) {
        case VarKind::Empty:
            return;
        case VarKind::Null:
            V_VT(&out) = VT_NULL;
            return;
        case VarKind::SmallInt:
        case VarKind::ShortInt:
        case VarKind::Byte:
        case VarKind::Word:
        case VarKind::Integer:
            V_VT(&out) = VT_I4;
            V_I4(&out) = value.ToInt32();
            return;
        case VarKind::LongWord:
        case VarKind::Int64:
        case VarKind::UInt64:
            V_VT(&out) = VT_I8;
            V_I8(&out) = value.ToInt64();
            return;
        case VarKind::Double:
            V_VT(&out) = VT_R8;
            V_R8(&out) = value.ToDouble();
            return;
        case VarKind::Boolean:
            V_VT(&out) = VT_BOOL;
            V_BOOL(&out) = value.ToBool() ? VARIANT_TRUE : VARIANT_FALSE;
            return;
        case VarKind::OleStr:
        case VarKind::String:
            V_VT(&out) = VT_BSTR;
            V_BSTR(&out) = Bstr(value.ToWide()).Detach();
            return;
        case VarKind::Interface: {
            const ComPtr<IUnknown> object = ObjectOf(value);
            if (const ComPtr<IDispatch> dispatch = object.As<IDispatch>()) {
                V_VT(&out) = VT_DISPATCH;
                V_DISPATCH(&out) = ComPtr<IDispatch>(dispatch).Detach();
            } else {
                V_VT(&out) = VT_UNKNOWN;
                V_UNKNOWN(&out) = ComPtr<IUnknown>(object).Detach();
            }
            return;
        }
        case VarKind::ByteArray:
            V_ARRAY(&out) = ToByteArray(value.ToBytes());
            V_VT(&out) = VT_ARRAY | VT_UI1;
            return;
    }
    BadType(static_cast<VARTYPE>(value.Kind()));
}

Variant FromVariantOrEmpty(const VARIANT& value) {
    try {
        return FromVariant(value);
    } catch (...) {
        return {};
    }
}

ComPtr<IUnknown> ObjectOf(const Variant& value) {
    const auto* object = dynamic_cast<const ComObject*>(value.ToInterface().get());
    return object != nullptr ? object->Object() : ComPtr<IUnknown>();
}

}  // namespace kvt::com
