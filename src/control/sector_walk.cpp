#include "control/sector_walk.h"

#include <vector>

#include "base/errors.h"
#include "base/format.h"

namespace kvt::control {

namespace {

struct Level {
    std::shared_ptr<host::RangeItem> node;
    int count = 0;
    int next = 0;
};

Level Enter(std::shared_ptr<host::RangeItem> node) {
    if (!node) {
        throw Exception("The range tree has no node here");
    }
    const int count = node->Count();
    return {std::move(node), count, 0};
}

}  // namespace

void WalkRanges(const std::shared_ptr<host::RangeItem>& root, StringList& ids, StringList& names) {
    std::vector<Level> path;
    path.push_back(Enter(root));
    while (!path.empty()) {
        Level& level = path.back();
        if (level.next >= level.count) {
            path.pop_back();
            continue;
        }
        const int position = level.next++;
        std::shared_ptr<host::RangeItem> child = level.node->Item(position);
        if (!child) {
            throw Exception(Format("The range tree has no item at position %d", position));
        }
        if (child->IsLeaf()) {
            ids.Add(WideToAnsi(child->ID()));
            names.Add(WideToAnsi(child->Name()));
        } else {
            path.push_back(Enter(std::move(child)));
        }
    }
}

}  // namespace kvt::control
