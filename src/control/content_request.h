#pragma once
// The content request: its URL, its form-encoded body and its header text.

#include <cstdint>
#include <string_view>

#include "base/string_list.h"
#include "base/text.h"

namespace kvt::control {

// Line feed before carriage return: the content server expects exactly these bytes.
inline constexpr std::string_view kContentHeaders =
    "Content-Type: application/x-www-form-urlencoded\n\r";

// "http://<server>/tavrix2009/kplm.aspx?<validation>", both inserted as they are.
AnsiString ComposeContentURL(std::string_view server_ip, std::string_view html_validate);

// "name;ID," for every position, in list order; empty for empty lists. Linear in the
// total length. Raises "List index out of bounds (%d)" when `names` is shorter.
AnsiString SectorListText(const StringList& ids, const StringList& names);

// SelID=<sel_id>&Range=0X<code>&SectorList=<list>, each value form-encoded.
AnsiString ContentBody(std::string_view sel_id, std::string_view code, const StringList& ids,
                       const StringList& names);

// The list position a stored selection names: the text as a 64-bit decimal integer (0
// when it is not one), of which the low 32 bits count, as a signed number.
std::int32_t SelectedPosition(std::string_view last_sele_id);

}  // namespace kvt::control
