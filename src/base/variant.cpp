#include "base/variant.h"

#include <cmath>
#include <limits>

#include "base/double_rounding_scope.h"
#include "base/errors.h"
#include "base/format.h"
#include "base/number_text.h"

namespace kvt {

const char* VarKindName(VarKind kind) {
    switch (kind) {
        case VarKind::Empty:
            return "Empty";
        case VarKind::Null:
            return "Null";
        case VarKind::SmallInt:
            return "Smallint";
        case VarKind::Integer:
            return "Integer";
        case VarKind::Double:
            return "Double";
        case VarKind::OleStr:
            return "OleStr";
        case VarKind::Boolean:
            return "Boolean";
        case VarKind::Interface:
            return "Unknown";
        case VarKind::ShortInt:
            return "ShortInt";
        case VarKind::Byte:
            return "Byte";
        case VarKind::Word:
            return "Word";
        case VarKind::LongWord:
            return "LongWord";
        case VarKind::Int64:
            return "Int64";
        case VarKind::UInt64:
            return "UInt64";
        case VarKind::String:
            return "String";
        case VarKind::ByteArray:
            return "Array Byte";
    }
    return "Unknown";
}

void Variant::FailCast(const char* target) const {
    throw EVariantTypeCastError(Format("Could not convert variant of type (%s) into type (%s)",
                                       VarKindName(kind_), target));
}

void Variant::FailCast(VarKind target) const {
    FailCast(VarKindName(target));
}

bool Variant::IsNumeric() const {
    return std::holds_alternative<std::int64_t>(value_) ||
           std::holds_alternative<std::uint64_t>(value_) ||
           std::holds_alternative<double>(value_) || std::holds_alternative<bool>(value_);
}

double Variant::ToDouble() const {
    if (IsEmpty()) {
        return 0;
    }
    if (const auto* i = std::get_if<std::int64_t>(&value_)) {
        return static_cast<double>(*i);
    }
    if (const auto* u = std::get_if<std::uint64_t>(&value_)) {
        return static_cast<double>(*u);
    }
    if (const auto* d = std::get_if<double>(&value_)) {
        return *d;
    }
    if (const auto* b = std::get_if<bool>(&value_)) {
        return *b ? -1.0 : 0.0;  // automation truth is -1
    }
    if (IsText()) {
        double parsed = 0;
        if (TryParseDouble(Trim(ToAnsi()), parsed)) {
            return parsed;
        }
    }
    FailCast(VarKind::Double);
}

std::int64_t Variant::ToInt64() const {
    if (const auto* i = std::get_if<std::int64_t>(&value_)) {
        return *i;
    }
    if (const auto* u = std::get_if<std::uint64_t>(&value_)) {
        if (*u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            FailCast(VarKind::Int64);
        }
        return static_cast<std::int64_t>(*u);
    }
    if (IsText()) {
        std::int32_t small = 0;
        if (TryParseInt32(ToAnsi(), small)) {
            return small;
        }
    }
    const DoubleRoundingScope double_rounding;  // half to even, whatever the host set
    const double rounded = std::nearbyint(ToDouble());
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)) {
        FailCast(VarKind::Int64);
    }
    return static_cast<std::int64_t>(rounded);
}

std::int32_t Variant::ToInt32() const {
    std::int64_t wide = 0;
    try {
        wide = ToInt64();
    } catch (const EVariantTypeCastError&) {
        FailCast(VarKind::Integer);
    }
    if (wide < std::numeric_limits<std::int32_t>::min() ||
        wide > std::numeric_limits<std::int32_t>::max()) {
        FailCast(VarKind::Integer);
    }
    return static_cast<std::int32_t>(wide);
}

bool Variant::ToBool() const {
    if (IsEmpty()) {
        return false;
    }
    if (const auto* b = std::get_if<bool>(&value_)) {
        return *b;
    }
    if (IsText()) {
        const AnsiString text = Trim(ToAnsi());
        if (SameTextAscii(text, "true")) {
            return true;
        }
        if (SameTextAscii(text, "false")) {
            return false;
        }
        double parsed = 0;
        if (TryParseDouble(text, parsed)) {
            return parsed != 0;
        }
        FailCast(VarKind::Boolean);
    }
    if (IsNumeric()) {
        return ToDouble() != 0;
    }
    FailCast(VarKind::Boolean);
}

AnsiString Variant::ToAnsi() const {
    switch (kind_) {
        case VarKind::Empty:
            return {};
        case VarKind::String:
            return std::get<AnsiString>(value_);
        case VarKind::OleStr:
            return WideToAnsi(std::get<WideString>(value_));
        case VarKind::Boolean:
            return std::get<bool>(value_) ? "True" : "False";
        case VarKind::Double:
            return FormatFloatGeneral(std::get<double>(value_));
        case VarKind::UInt64:
            return std::to_string(std::get<std::uint64_t>(value_));
        case VarKind::SmallInt:
        case VarKind::Integer:
        case VarKind::ShortInt:
        case VarKind::Byte:
        case VarKind::Word:
        case VarKind::LongWord:
        case VarKind::Int64:
            return std::to_string(std::get<std::int64_t>(value_));
        case VarKind::Null:
        case VarKind::Interface:
        case VarKind::ByteArray:
            break;
    }
    FailCast(VarKind::String);
}

WideString Variant::ToWide() const {
    if (kind_ == VarKind::OleStr) {
        return std::get<WideString>(value_);
    }
    if (kind_ == VarKind::Null || kind_ == VarKind::Interface || kind_ == VarKind::ByteArray) {
        FailCast(VarKind::OleStr);
    }
    return AnsiToWide(ToAnsi());
}

std::shared_ptr<InterfaceBase> Variant::ToInterface() const {
    if (IsEmpty()) {
        return nullptr;
    }
    if (const auto* p = std::get_if<std::shared_ptr<InterfaceBase>>(&value_)) {
        return *p;
    }
    FailCast(VarKind::Interface);
}

const Variant::ByteArray& Variant::ToBytes() const {
    if (const auto* bytes = std::get_if<ByteArray>(&value_)) {
        return *bytes;
    }
    FailCast(VarKind::ByteArray);
}

}  // namespace kvt
