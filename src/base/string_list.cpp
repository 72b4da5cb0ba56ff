#include "base/string_list.h"

#include "base/errors.h"
#include "base/format.h"

namespace kvt {

const AnsiString& StringList::At(int position) const {
    if (position < 0 || position >= Count()) {
        throw Exception(Format("List index out of bounds (%d)", position));
    }
    return items_[static_cast<std::size_t>(position)];
}

int StringList::Add(AnsiString text) {
    items_.push_back(std::move(text));
    return Count() - 1;
}

int StringList::IndexOf(std::string_view text) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] == text) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace kvt
