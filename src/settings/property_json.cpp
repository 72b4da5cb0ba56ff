#include "settings/property_json.h"

#include "base/number_text.h"
#include "settings/serialization.h"
#include "settings/url_style.h"

namespace kvt::settings {
namespace {

const AnsiString* IdentifierOf(const PublishedProperty& property, std::int32_t value) {
    for (const IdentifierMapEntry& entry : property.identifiers) {
        if (entry.value == value) {
            return &entry.identifier;
        }
    }
    return nullptr;
}

// Position of `text` among the names, ignoring ASCII letter case; -1 when absent.
int NameIndex(const std::vector<AnsiString>& names, std::string_view text) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (SameTextAscii(names[i], text)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// A character is stored as itself so the text stays readable. Where that would not read
// back ("%" and "+" change when decoded, and a lone byte of a double-byte code page does
// not survive the conversion to UTF-16) it is stored escaped instead.
AnsiString CharText(char c) {
    const AnsiString raw(1, c);
    const bool survives_code_page = WideToAnsi(AnsiToWide(raw)) == raw;
    if (c != '%' && c != '+' && survives_code_page) {
        return raw;
    }
    return EncodeUrlStyle(raw);
}

AnsiString SetText(const PublishedProperty& property, std::uint32_t mask) {
    AnsiString names;
    for (std::size_t bit = 0; bit < property.value_names.size(); ++bit) {
        if ((mask >> bit) & 1u) {
            if (!names.empty()) {
                names.push_back(',');
            }
            names += property.value_names[bit];
        }
    }
    return "[" + EncodeUrlStyle(names) + "]";
}

// The set's text without its first and last characters, whatever they are, split at ",".
std::uint32_t SetMask(const PublishedProperty& property, std::string_view text) {
    const std::string_view inner =
        text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string_view();
    std::uint32_t mask = 0;
    for (const std::string_view piece : SplitText(inner, ',')) {
        const int element = piece.empty() ? -1 : NameIndex(property.value_names, piece);
        if (element >= 0) {
            mask |= 1u << element;
        }
    }
    return mask;
}

std::int32_t IntegerFromText(const PublishedProperty& property, std::string_view text) {
    for (const IdentifierMapEntry& entry : property.identifiers) {
        if (SameTextAscii(entry.identifier, text)) {
            return entry.value;
        }
    }
    return StrToInt(text);
}

AnsiString EnumerationName(const PublishedProperty& property, std::int32_t ordinal) {
    if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= property.value_names.size()) {
        return {};  // an ordinal outside the enumeration has no name; it reads back as no change
    }
    return property.value_names[static_cast<std::size_t>(ordinal)];
}

}  // namespace

void WritePropertyMember(json::TqxJSONobject& object, const PublishedProperty& property,
                         const TSerialization& owner) {
    const WideString name = AnsiToWide(property.name);
    const PropertyValue value = property.read(owner);
    switch (property.kind) {
        case PropertyKind::Integer: {
            const std::int32_t number = std::get<std::int32_t>(value);
            if (const AnsiString* identifier = IdentifierOf(property, number)) {
                object.AddMember(name, *identifier);
            } else {
                object.AddMember(name, number);
            }
            return;
        }
        case PropertyKind::Char:
            object.AddMember(name, CharText(std::get<char>(value)));
            return;
        case PropertyKind::Enumeration:
            object.AddMember(name, EnumerationName(property, std::get<std::int32_t>(value)));
            return;
        case PropertyKind::Set:
            object.AddMember(name, SetText(property, std::get<std::uint32_t>(value)));
            return;
        case PropertyKind::Float:
            object.AddMember(name, std::get<double>(value));
            return;
        case PropertyKind::String:
            object.AddMember(name, EncodeUrlStyle(std::get<AnsiString>(value)));
            return;
        case PropertyKind::WideString:
            object.AddMember(name, EncodeUrlStyle(WideToAnsi(std::get<WideString>(value))));
            return;
        case PropertyKind::Int64:
            object.AddMember(name, static_cast<double>(std::get<std::int64_t>(value)));
            return;
        case PropertyKind::Unsupported:
            return;
    }
}

void ReadPropertyMember(const json::TqxJSONbase& member, const PublishedProperty& property,
                        TSerialization& owner) {
    const Variant value = member.ToVariant();
    switch (property.kind) {
        case PropertyKind::Integer:
            property.write(owner, IntegerFromText(property, value.ToAnsi()));
            return;
        case PropertyKind::Char: {
            const AnsiString text = DecodeUrlStyle(value.ToAnsi());
            if (text.size() == 1) {
                property.write(owner, text[0]);
            }
            return;
        }
        case PropertyKind::Enumeration: {
            const int ordinal = NameIndex(property.value_names, DecodeUrlStyle(value.ToAnsi()));
            if (ordinal >= 0) {
                property.write(owner, std::int32_t{ordinal});
            }
            return;
        }
        case PropertyKind::Set:
            property.write(owner, SetMask(property, DecodeUrlStyle(value.ToAnsi())));
            return;
        case PropertyKind::Float:
            property.write(owner, value.ToDouble());
            return;
        case PropertyKind::String:
            property.write(owner, DecodeUrlStyle(value.ToAnsi()));
            return;
        case PropertyKind::WideString: {
            // The writer escaped the 8-bit form, so undo both steps to get the text back.
            // Members without a text (null, list, object) give the empty text.
            const WideString text =
                value.IsNull() ? WideString() : AnsiToWide(DecodeUrlStyle(value.ToAnsi()));
            property.write(owner, text);
            return;
        }
        case PropertyKind::Int64:
            property.write(owner, value.ToInt64());
            return;
        case PropertyKind::Unsupported:
            return;
    }
}

}  // namespace kvt::settings
