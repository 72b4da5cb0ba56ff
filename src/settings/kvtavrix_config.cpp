#include "settings/kvtavrix_config.h"

namespace kvt::settings {

TKvTavrixConfig::TKvTavrixConfig() : LastSeleID("0") {}

const PropertyList& TKvTavrixConfig::PublishedProperties() const {
    static const PropertyList list = PropertyTable<TKvTavrixConfig>(ClassProperties())
                                         .String("LastSeleID", Field(&TKvTavrixConfig::LastSeleID));
    return list;
}

}  // namespace kvt::settings
