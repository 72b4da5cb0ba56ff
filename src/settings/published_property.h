#pragma once
// The registration table of a serializable class: its published properties in order,
// each with its kind, the type details the kind needs, and its read and write access.

#include <cstdint>
#include <functional>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "base/errors.h"
#include "base/text.h"

namespace kvt::settings {

class TSerialization;

enum class PropertyKind {
    Integer,      // 32-bit signed, optionally with an identifier map
    Char,         // one 8-bit character
    Enumeration,  // ordinal into value_names
    Set,          // 32-bit mask over value_names (at most 32 elements)
    Float,
    String,      // 8-bit text
    WideString,  // UTF-16 text
    Int64,
    Unsupported,  // object references, method pointers and the like: never serialized
};

// A property value as it travels between an object and the serializer: Integer and
// Enumeration use std::int32_t, Set std::uint32_t, and the other kinds their own type.
using PropertyValue = std::variant<std::monostate, std::int32_t, char, std::uint32_t, double,
                                   AnsiString, WideString, std::int64_t>;

struct IdentifierMapEntry {
    AnsiString identifier;
    std::int32_t value;
};

struct PublishedProperty {
    AnsiString name;
    PropertyKind kind = PropertyKind::Unsupported;
    std::vector<AnsiString> value_names;          // enumeration values or set elements
    std::vector<IdentifierMapEntry> identifiers;  // Integer only; usually empty
    std::function<PropertyValue(const TSerialization&)> read;
    std::function<void(TSerialization&, const PropertyValue&)> write;

    // Only properties with both accesses are written and read.
    bool IsReadWrite() const { return read && write; }
};

using PropertyList = std::vector<PublishedProperty>;

inline constexpr std::size_t kMaxSetElements = 32;

// How one property of class T reaches its value. Either function may be empty.
template <class T, class V>
struct Access {
    std::function<V(const T&)> get;
    std::function<void(T&, const V&)> set;
};

// Reads and writes a data member directly.
template <class T, class V>
Access<T, V> Field(V T::*field) {
    return {[field](const T& object) { return object.*field; },
            [field](T& object, const V& value) { object.*field = value; }};
}

template <class T, class V>
Access<T, V> ReadOnly(V T::*field) {
    return {[field](const T& object) { return object.*field; }, nullptr};
}

// Builds the table of class T: the base class's list, then the properties T adds in the
// order they are declared here.
template <class T>
class PropertyTable {
  public:
    explicit PropertyTable(PropertyList base = {}) : list_(std::move(base)) {}

    template <class U>
    PropertyTable& Integer(AnsiString name, Access<U, std::int32_t> access,
                           std::vector<IdentifierMapEntry> identifiers = {}) {
        PublishedProperty& property = Add(std::move(name), PropertyKind::Integer, access);
        property.identifiers = std::move(identifiers);
        return *this;
    }
    template <class U>
    PropertyTable& Char(AnsiString name, Access<U, char> access) {
        Add(std::move(name), PropertyKind::Char, access);
        return *this;
    }
    template <class U, class E>
    PropertyTable& Enumeration(AnsiString name, Access<U, E> access,
                               std::vector<AnsiString> value_names) {
        static_assert(std::is_enum_v<E>);
        Access<U, std::int32_t> ordinal;
        if (access.get) {
            ordinal.get = [get = access.get](const U& o) {
                return static_cast<std::int32_t>(get(o));
            };
        }
        if (access.set) {
            ordinal.set = [set = access.set](U& o, const std::int32_t& v) {
                set(o, static_cast<E>(v));
            };
        }
        Add(std::move(name), PropertyKind::Enumeration, ordinal).value_names =
            std::move(value_names);
        return *this;
    }
    template <class U>
    PropertyTable& Set(AnsiString name, Access<U, std::uint32_t> access,
                       std::vector<AnsiString> element_names) {
        if (element_names.size() > kMaxSetElements) {
            throw Exception("A set property has at most 32 elements: " + name);
        }
        Add(std::move(name), PropertyKind::Set, access).value_names = std::move(element_names);
        return *this;
    }
    template <class U>
    PropertyTable& Float(AnsiString name, Access<U, double> access) {
        Add(std::move(name), PropertyKind::Float, access);
        return *this;
    }
    template <class U>
    PropertyTable& String(AnsiString name, Access<U, AnsiString> access) {
        Add(std::move(name), PropertyKind::String, access);
        return *this;
    }
    template <class U>
    PropertyTable& Wide(AnsiString name, Access<U, kvt::WideString> access) {
        Add(std::move(name), PropertyKind::WideString, access);
        return *this;
    }
    template <class U>
    PropertyTable& Int64(AnsiString name, Access<U, std::int64_t> access) {
        Add(std::move(name), PropertyKind::Int64, access);
        return *this;
    }
    PropertyTable& Unsupported(AnsiString name) {
        list_.push_back(
            PublishedProperty{std::move(name), PropertyKind::Unsupported, {}, {}, {}, {}});
        return *this;
    }

    operator PropertyList() const& { return list_; }
    operator PropertyList() && { return std::move(list_); }

  private:
    // The object handed to an access is always of class T or derived from it, because a
    // class's table is only consulted through that class's virtual PublishedProperties.
    template <class U, class V>
    PublishedProperty& Add(AnsiString name, PropertyKind kind, const Access<U, V>& access) {
        static_assert(std::is_base_of_v<TSerialization, T>);
        static_assert(std::is_base_of_v<U, T>, "the access must belong to T or a base of T");
        PublishedProperty property{std::move(name), kind, {}, {}, {}, {}};
        if (access.get) {
            property.read = [get = access.get](const TSerialization& object) {
                return PropertyValue(std::in_place_type<V>, get(static_cast<const T&>(object)));
            };
        }
        if (access.set) {
            property.write = [set = access.set](TSerialization& object,
                                                const PropertyValue& value) {
                set(static_cast<T&>(object), std::get<V>(value));
            };
        }
        list_.push_back(std::move(property));
        return list_.back();
    }

    PropertyList list_;
};

}  // namespace kvt::settings
