#pragma once
// The JSON form of one published property, by kind.

#include "json/value.h"
#include "settings/published_property.h"

namespace kvt::settings {

// Adds the member for `property` of `owner` to `object`; unsupported kinds add nothing.
void WritePropertyMember(json::TqxJSONobject& object, const PublishedProperty& property,
                         const TSerialization& owner);

// Sets `property` of `owner` from `member`, or leaves it unchanged where the member's
// text names nothing the property knows. Raises the conversion errors of the kind.
void ReadPropertyMember(const json::TqxJSONbase& member, const PublishedProperty& property,
                        TSerialization& owner);

}  // namespace kvt::settings
