#pragma once
// The demo terminal's sector tree: groups and sectors that the user edits, served to the
// control as the host's range object. Every edit fires the change event (dispatch id 201)
// to the sinks advised on the range object's connection point.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "control/host_ports.h"

namespace kvt::demo {

class SectorNode final : public host::RangeItem, public std::enable_shared_from_this<SectorNode> {
  public:
    static std::shared_ptr<SectorNode> Group(std::u16string name);
    static std::shared_ptr<SectorNode> Sector(std::u16string name, std::u16string id,
                                              std::u16string code, bool valid = true);

    // Raises "List index out of bounds (%d)" outside the children.
    std::shared_ptr<host::RangeItem> Item(int position) override;
    int Count() override;
    WideString Name() override { return name_; }
    bool IsLeaf() override { return leaf_; }
    WideString Code() override { return code_; }
    bool IsValid() override { return valid_; }
    WideString ID() override { return id_; }

    const std::vector<std::shared_ptr<SectorNode>>& Children() const { return children_; }
    SectorNode* Parent() const { return parent_; }

  private:
    friend class SectorTree;
    SectorNode(std::u16string name, bool leaf) : name_(std::move(name)), leaf_(leaf) {}

    std::u16string name_;
    std::u16string id_;
    std::u16string code_;
    bool leaf_ = false;
    bool valid_ = true;
    SectorNode* parent_ = nullptr;
    std::vector<std::shared_ptr<SectorNode>> children_;
};

// The change events' connection point; each advised sink gets its own cookie.
class ChangeConnection final : public host::RangeEventsConnection {
  public:
    std::uint32_t Advise(std::shared_ptr<host::RangeEventsDispatch> sink) override;
    void Unadvise(std::uint32_t cookie) override;
    // Calls every advised sink; returns their results.
    std::vector<CallResult> Fire(std::int32_t dispatch_id);
    std::size_t SinkCount() const { return sinks_.size(); }

  private:
    std::map<std::uint32_t, std::shared_ptr<host::RangeEventsDispatch>> sinks_;
    std::uint32_t next_cookie_ = 1;
};

class SectorTree final : public host::Ranges {
  public:
    // Starts with the demo's own groups and sectors.
    SectorTree();

    std::shared_ptr<host::RangeItem> Root() override { return root_; }
    std::shared_ptr<host::RangeItem> FindRange(std::u16string_view id) override;
    std::shared_ptr<host::RangeEventsConnection> ChangeEvents() override { return connection_; }

    const std::shared_ptr<SectorNode>& RootNode() const { return root_; }
    SectorNode* FindSector(std::u16string_view id) const;

    // The edits; each fires the change event once and returns the sinks' results. A group
    // takes new children; a sector does not, and the root cannot be renamed or removed.
    std::shared_ptr<SectorNode> AddGroup(SectorNode& parent, std::u16string name);
    // The new sector gets the next free numeric ID and a code made from it.
    std::shared_ptr<SectorNode> AddSector(SectorNode& parent, std::u16string name);
    void Rename(SectorNode& node, std::u16string name);
    void Remove(SectorNode& node);
    void SetValid(SectorNode& sector, bool valid);

    // The control's (and any other sink's) answers to the most recent change event.
    const std::vector<CallResult>& LastChangeResults() const { return last_results_; }

  private:
    void Adopt(SectorNode& parent, std::shared_ptr<SectorNode> child);
    void Changed();

    std::shared_ptr<SectorNode> root_;
    std::shared_ptr<ChangeConnection> connection_;
    std::vector<CallResult> last_results_;
    int next_id_ = 101;
};

// "SZ" and the ID padded to six digits, the code the content server shows.
std::u16string SectorCodeOf(int id);

}  // namespace kvt::demo
