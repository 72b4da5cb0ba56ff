#pragma once
// An ordered list of 8-bit texts, positions counted from 0.

#include <string_view>
#include <vector>

#include "base/text.h"

namespace kvt {

class StringList {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }

    // Raises Exception "List index out of bounds (%d)" for a position outside the list.
    const AnsiString& At(int position) const;

    int Add(AnsiString text);
    void Clear() { items_.clear(); }
    void Reserve(int count) { items_.reserve(static_cast<std::size_t>(count)); }
    int IndexOf(std::string_view text) const;  // exact match, -1 when absent

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<AnsiString> items_;
};

}  // namespace kvt
