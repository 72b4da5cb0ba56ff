#pragma once
// The control's settings record.

#include "base/text.h"
#include "settings/serialization.h"

namespace kvt::settings {

// The identifier the control stores its settings record under.
inline constexpr const char* kKvTavrixConfigID = "KvTavrix2009";

class TKvTavrixConfig : public TSerialization {
  public:
    TKvTavrixConfig();

    const PropertyList& PublishedProperties() const override;

    // Position of the current sector in the control's sector list, as decimal text.
    AnsiString LastSeleID;
};

}  // namespace kvt::settings
