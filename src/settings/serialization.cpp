#include "settings/serialization.h"

#include "base/errors.h"
#include "json/reader.h"
#include "json/value.h"
#include "json/writer.h"
#include "settings/property_json.h"

namespace kvt::settings {

TSerialization::~TSerialization() = default;

const PropertyList& TSerialization::ClassProperties() {
    static const PropertyList list = PropertyTable<TSerialization>()
                                         .String("Name", Field(&TSerialization::Name))
                                         .Integer("Tag", Field(&TSerialization::Tag));
    return list;
}

const PropertyList& TSerialization::PublishedProperties() const {
    return ClassProperties();
}

AnsiString TSerialization::ToJson() const {
    const auto object = json::TqxJSONobject::NewObject(true);
    for (const PublishedProperty& property : PublishedProperties()) {
        if (property.IsReadWrite()) {
            WritePropertyMember(*object, property, *this);
        }
    }
    return json::FormatJson(object.get());
}

void TSerialization::FromJson(std::string_view text) {
    const auto root = json::ParseJson(text);
    if (!root) {
        return;
    }
    auto* object = dynamic_cast<json::TqxJSONobject*>(root.get());
    if (object == nullptr) {
        throw EInvalidCast();
    }
    for (const PublishedProperty& property : PublishedProperties()) {
        if (!property.IsReadWrite()) {
            continue;
        }
        const json::TqxJSONbase* member = object->Member(Variant(AnsiToWide(property.name)));
        if (member != nullptr) {
            ReadPropertyMember(*member, property, *this);
        }
    }
}

}  // namespace kvt::settings
