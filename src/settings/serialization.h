#pragma once
// The base class of every settings object stored as JSON text: its published read-write
// properties become one flat JSON object, one member per property, keyed by name.

#include <cstdint>
#include <string_view>

#include "base/text.h"
#include "settings/published_property.h"

namespace kvt::settings {

class TSerialization {
  public:
    TSerialization() = default;
    TSerialization(const TSerialization&) = default;
    TSerialization& operator=(const TSerialization&) = default;
    virtual ~TSerialization();

    // The compact JSON text of the published properties, in table order.
    AnsiString ToJson() const;

    // Sets the properties whose members `text` holds. Text that is not JSON changes
    // nothing; a top value other than an object raises EInvalidCast. Stops at the first
    // member that cannot be read; properties before it keep the values just read.
    void FromJson(std::string_view text);

    // The table of the object's class, base class first. A derived class that publishes
    // properties overrides this and extends its parent's table.
    virtual const PropertyList& PublishedProperties() const;

    // This class's own table: Name, Tag.
    static const PropertyList& ClassProperties();

    AnsiString Name;
    std::int32_t Tag = 0;
};

}  // namespace kvt::settings
