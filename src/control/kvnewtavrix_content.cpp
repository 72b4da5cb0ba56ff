// TKvNewTavrix: the sector lists and the content request.

#include <utility>

#include "control/content_request.h"
#include "control/kvnewtavrix.h"
#include "control/sector_walk.h"

namespace kvt::control {

// The walk fills lists of its own, which replace the control's only once it is complete: a
// host call that fails part-way leaves the previous lists and the current sector as they
// were, so no request ever carries part of the tree or IDs without their names.
void TKvNewTavrix::BuildSectorLists() {
    StringList& ids = Ids();
    StringList& names = Names();
    StringList walked_ids;
    StringList walked_names;
    WalkRanges(Ranges().Root(), walked_ids, walked_names);
    ids = std::move(walked_ids);
    names = std::move(walked_names);
    SelectStoredPosition(ids);
}

// The stored position selects the current sector. A tree without sectors leaves none; a
// position outside a shorter list (sectors deleted since it was stored) selects the first
// sector and is stored as such, so the panel does not stay blank in every later session.
void TKvNewTavrix::SelectStoredPosition(const StringList& ids) {
    if (ids.Count() == 0) {
        cur_sector_id_.clear();
        return;
    }
    const std::int32_t position = SelectedPosition(Config().LastSeleID);
    if (position < 0 || position >= ids.Count()) {
        Config().LastSeleID = "0";
        cur_sector_id_ = ids.At(0);
        return;
    }
    cur_sector_id_ = ids.At(position);
}

void TKvNewTavrix::RequestContent() {
    if (hidden_) {
        return;
    }
    if (Ids().Count() == 0) {
        return;  // no sector to show; a range change that brings sectors asks again
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
