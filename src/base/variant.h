#pragma once
// The automation variant: a tagged value with the automation conversions between kinds.
// Kind codes follow the automation type numbers so back ends translate them one to one.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "base/text.h"

namespace kvt {

enum class VarKind : std::uint16_t {
    Empty = 0,
    Null = 1,
    SmallInt = 2,  // 16-bit signed
    Integer = 3,   // 32-bit signed
    Double = 5,
    OleStr = 8,  // wide string
    Boolean = 11,
    Interface = 13,
    ShortInt = 16,  // 8-bit signed
    Byte = 17,
    Word = 18,
    LongWord = 19,
    Int64 = 20,
    UInt64 = 21,
    String = 0x100,  // 8-bit string
    ByteArray = 0x2011,
};

// The display name of a kind, as it appears in conversion messages ("Null", "String").
const char* VarKindName(VarKind kind);

// Any object handed around as an interface; back ends wrap their own objects in it.
class InterfaceBase {
  public:
    virtual ~InterfaceBase() = default;
};

struct NullTag {
    bool operator==(const NullTag&) const = default;
};

class Variant {
  public:
    using ByteArray = std::vector<std::uint8_t>;

    Variant() = default;
    static Variant Null() { return Variant(VarKind::Null, NullTag{}); }
    static Variant Int16(std::int16_t v) { return Variant(VarKind::SmallInt, std::int64_t{v}); }
    static Variant Int8(std::int8_t v) { return Variant(VarKind::ShortInt, std::int64_t{v}); }
    static Variant UInt8(std::uint8_t v) { return Variant(VarKind::Byte, std::int64_t{v}); }
    static Variant UInt16(std::uint16_t v) { return Variant(VarKind::Word, std::int64_t{v}); }
    static Variant UInt32(std::uint32_t v) { return Variant(VarKind::LongWord, std::int64_t{v}); }
    static Variant UInt64(std::uint64_t v) { return Variant(VarKind::UInt64, v); }
    static Variant Bytes(ByteArray bytes) { return Variant(VarKind::ByteArray, std::move(bytes)); }

    Variant(std::int32_t v) : Variant(VarKind::Integer, std::int64_t{v}) {}
    Variant(std::int64_t v) : Variant(VarKind::Int64, v) {}
    Variant(double v) : Variant(VarKind::Double, v) {}
    Variant(bool v) : Variant(VarKind::Boolean, v) {}
    Variant(AnsiString v) : Variant(VarKind::String, std::move(v)) {}
    Variant(const char* v) : Variant(AnsiString(v)) {}
    Variant(WideString v) : Variant(VarKind::OleStr, std::move(v)) {}
    Variant(const char16_t* v) : Variant(WideString(v)) {}
    Variant(std::shared_ptr<InterfaceBase> v) : Variant(VarKind::Interface, std::move(v)) {}

    VarKind Kind() const { return kind_; }
    bool IsEmpty() const { return kind_ == VarKind::Empty; }
    bool IsNull() const { return kind_ == VarKind::Null; }
    bool IsNumeric() const;  // integer kinds, double and Boolean
    bool IsText() const { return kind_ == VarKind::String || kind_ == VarKind::OleStr; }

    // Automation conversions; each raises EVariantTypeCastError
    // "Could not convert variant of type (%s) into type (%s)" when it cannot convert.
    double ToDouble() const;
    std::int32_t ToInt32() const;  // floats round half to even, as automation does
    std::int64_t ToInt64() const;
    bool ToBool() const;
    AnsiString ToAnsi() const;
    WideString ToWide() const;
    std::shared_ptr<InterfaceBase> ToInterface() const;
    const ByteArray& ToBytes() const;

    bool operator==(const Variant& other) const = default;

  private:
    using Storage = std::variant<std::monostate, NullTag, std::int64_t, std::uint64_t, double, bool,
                                 AnsiString, WideString, std::shared_ptr<InterfaceBase>, ByteArray>;

    template <typename T>
    Variant(VarKind kind, T&& value) : kind_(kind), value_(std::forward<T>(value)) {}

    [[noreturn]] void FailCast(VarKind target) const;
    [[noreturn]] void FailCast(const char* target) const;

    VarKind kind_ = VarKind::Empty;
    Storage value_;
};

}  // namespace kvt
