// TKvNewTavrix: the sector lists and the content request.

#include <utility>

#include "control/content_request.h"
#include "control/kvnewtavrix.h"
#include "control/sector_walk.h"

namespace kvt::control {

void TKvNewTavrix::BuildSectorLists() {
    StringList& ids = Ids();
    StringList& names = Names();
    ids.Clear();
    names.Clear();
    WalkRanges(Ranges().Root(), ids, names);
    // A position outside the lists raises here; the lists keep what was just walked.
    cur_sector_id_ = ids.At(SelectedPosition(Config().LastSeleID));
}

void TKvNewTavrix::RequestContent() {
    if (hidden_) {
        return;
    }
    const std::shared_ptr<host::RangeItem> sector = Ranges().FindRange(AnsiToWide(cur_sector_id_));
    if (!sector || !sector->IsValid()) {
        need_reload_ = false;
        return;
    }
    const AnsiString body =
        ContentBody(Config().LastSeleID, WideToAnsi(sector->Code()), Ids(), Names());
    Variant post_data = Variant::Bytes(Variant::ByteArray(body.begin(), body.end()));
    ports_.browser->Navigate(AnsiToWide(content_url_), Variant(), Variant(), post_data,
                             Variant(AnsiString(kContentHeaders)));
    need_reload_ = false;
}

void TKvNewTavrix::RangesChanged() {
    need_reload_ = true;
    BuildSectorLists();
    RequestContent();
}

}  // namespace kvt::control
