#pragma once
// Rows of a query fetched in full, so that the row count is known before the first row is
// read.

#include <vector>

#include "base/text.h"
#include "base/variant.h"

namespace kvt::hosts {

struct TableData {
    std::vector<WideString> columns;
    std::vector<std::vector<Variant>> rows;
};

}  // namespace kvt::hosts
