#pragma once
// Flattening the host's range tree into the control's two parallel sector lists.

#include <memory>

#include "base/string_list.h"
#include "control/host_ports.h"

namespace kvt::control {

// Appends every sector under `root`, depth first and in position order: its ID to `ids`
// and its name to `names`. Groups contribute only their sectors. Iterative, so a deep
// tree cannot exhaust the stack; the host is asked in the same order as a recursive walk.
void WalkRanges(const std::shared_ptr<host::RangeItem>& root, StringList& ids, StringList& names);

}  // namespace kvt::control
