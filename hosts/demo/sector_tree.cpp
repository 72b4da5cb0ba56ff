#include "hosts/demo/sector_tree.h"

#include <algorithm>

#include "base/errors.h"
#include "base/text.h"
#include "control/range_events.h"

namespace kvt::demo {

std::shared_ptr<SectorNode> SectorNode::Group(std::u16string name) {
    return std::shared_ptr<SectorNode>(new SectorNode(std::move(name), false));
}

std::shared_ptr<SectorNode> SectorNode::Sector(std::u16string name, std::u16string id,
                                               std::u16string code, bool valid) {
    auto node = std::shared_ptr<SectorNode>(new SectorNode(std::move(name), true));
    node->id_ = std::move(id);
    node->code_ = std::move(code);
    node->valid_ = valid;
    return node;
}

std::shared_ptr<host::RangeItem> SectorNode::Item(int position) {
    if (position < 0 || position >= Count()) {
        throw Exception("List index out of bounds (" + std::to_string(position) + ")");
    }
    return children_[static_cast<std::size_t>(position)];
}

int SectorNode::Count() {
    return static_cast<int>(children_.size());
}

std::uint32_t ChangeConnection::Advise(std::shared_ptr<host::RangeEventsDispatch> sink) {
    const std::uint32_t cookie = next_cookie_++;
    sinks_.emplace(cookie, std::move(sink));
    return cookie;
}

void ChangeConnection::Unadvise(std::uint32_t cookie) {
    if (sinks_.erase(cookie) == 0) {
        throw EOleError(static_cast<HResult>(0x80040200u), "The connection is not advised");
    }
}

std::vector<CallResult> ChangeConnection::Fire(std::int32_t dispatch_id) {
    // A sink may unadvise while it handles the event.
    const auto sinks = sinks_;
    std::vector<CallResult> results;
    for (const auto& [cookie, sink] : sinks) {
        results.push_back(sink->Invoke(dispatch_id, {}));
    }
    return results;
}

std::u16string SectorCodeOf(int id) {
    std::string digits = std::to_string(id);
    if (digits.size() < 6) {
        digits.insert(0, 6 - digits.size(), '0');
    }
    return Utf8ToWide("SZ" + digits);
}

SectorTree::SectorTree()
    : root_(SectorNode::Group(u"全部板块")), connection_(std::make_shared<ChangeConnection>()) {
    const auto mine = SectorNode::Group(u"自选板块");
    Adopt(*root_, mine);
    for (const char16_t* name : {u"银行", u"证券 保险", u"钢铁"}) {
        Adopt(*mine, SectorNode::Sector(name, Utf8ToWide(std::to_string(next_id_)),
                                        SectorCodeOf(next_id_)));
        ++next_id_;
    }
    const auto industry = SectorNode::Group(u"行业板块");
    Adopt(*root_, industry);
    for (const char16_t* name : {u"新能源", u"半导体"}) {
        Adopt(*industry, SectorNode::Sector(name, Utf8ToWide(std::to_string(next_id_)),
                                            SectorCodeOf(next_id_)));
        ++next_id_;
    }
}

namespace {

SectorNode* FindIn(SectorNode& node, std::u16string_view id) {
    for (const auto& child : node.Children()) {
        if (child->IsLeaf() ? child->ID() == id : false) {
            return child.get();
        }
        if (!child->IsLeaf()) {
            if (SectorNode* const found = FindIn(*child, id)) {
                return found;
            }
        }
    }
    return nullptr;
}

}  // namespace

SectorNode* SectorTree::FindSector(std::u16string_view id) const {
    return FindIn(*root_, id);
}

std::shared_ptr<host::RangeItem> SectorTree::FindRange(std::u16string_view id) {
    SectorNode* const found = FindSector(id);
    return found != nullptr ? found->shared_from_this() : nullptr;
}

void SectorTree::Adopt(SectorNode& parent, std::shared_ptr<SectorNode> child) {
    if (parent.leaf_) {
        throw Exception("A sector holds no sectors or groups");
    }
    child->parent_ = &parent;
    parent.children_.push_back(std::move(child));
}

void SectorTree::Changed() {
    last_results_ = connection_->Fire(control::kRangeChangeDispatchId);
}

std::shared_ptr<SectorNode> SectorTree::AddGroup(SectorNode& parent, std::u16string name) {
    auto group = SectorNode::Group(std::move(name));
    Adopt(parent, group);
    Changed();
    return group;
}

std::shared_ptr<SectorNode> SectorTree::AddSector(SectorNode& parent, std::u16string name) {
    while (FindSector(Utf8ToWide(std::to_string(next_id_))) != nullptr) {
        ++next_id_;
    }
    auto sector = SectorNode::Sector(std::move(name), Utf8ToWide(std::to_string(next_id_)),
                                     SectorCodeOf(next_id_));
    ++next_id_;
    Adopt(parent, sector);
    Changed();
    return sector;
}

void SectorTree::Rename(SectorNode& node, std::u16string name) {
    if (&node == root_.get()) {
        throw Exception("The root of the sector tree cannot be renamed");
    }
    node.name_ = std::move(name);
    Changed();
}

void SectorTree::Remove(SectorNode& node) {
    SectorNode* const parent = node.parent_;
    if (parent == nullptr) {
        throw Exception("The root of the sector tree cannot be removed");
    }
    auto& siblings = parent->children_;
    const auto found = std::find_if(siblings.begin(), siblings.end(),
                                    [&](const auto& child) { return child.get() == &node; });
    if (found == siblings.end()) {
        return;
    }
    const std::shared_ptr<SectorNode> keep = *found;  // alive until the event has run
    siblings.erase(found);
    keep->parent_ = nullptr;
    Changed();
}

void SectorTree::SetValid(SectorNode& sector, bool valid) {
    if (!sector.leaf_) {
        throw Exception("Only a sector can be made valid or invalid");
    }
    sector.valid_ = valid;
    Changed();
}

}  // namespace kvt::demo
