#pragma once
// A scriptable host: a sector tree, a range object with a connection point, and host
// services over a substitute host's database.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "control/host_ports.h"
#include "fakes/journal.h"
#include "hosts/common/host_database.h"
#include "hosts/common/substitute_controller.h"

namespace kvt::fakes {

struct HostContext {
    Journal* journal = nullptr;
    Faults* faults = nullptr;

    // Records and counts the call, then fails it when its ordinal, its operation or its
    // full entry (the operation on one node) is set to fail.
    void Call(const std::string& entry, std::string_view operation) const {
        journal->Add(entry);
        faults->Call(entry, operation);
    }
};

// A node of the sector tree. Names and codes are given in UTF-8.
class FakeRangeItem : public host::RangeItem {
  public:
    static std::shared_ptr<FakeRangeItem> Sector(std::string id, std::string name, std::string code,
                                                 bool valid = true);
    static std::shared_ptr<FakeRangeItem> Group(
        std::string name, std::vector<std::shared_ptr<FakeRangeItem>> children);

    std::shared_ptr<host::RangeItem> Item(int position) override;
    int Count() override;
    WideString Name() override;
    bool IsLeaf() override;
    WideString Code() override;
    bool IsValid() override;
    WideString ID() override;

    void Bind(const HostContext& context);  // this node and all below it
    const std::string& IdUtf8() const { return id_; }
    const std::vector<std::shared_ptr<FakeRangeItem>>& Children() const { return children_; }

    bool valid = true;
    std::string code;

  private:
    std::string id_;
    std::string name_;
    bool leaf_ = false;
    std::vector<std::shared_ptr<FakeRangeItem>> children_;
    HostContext context_;
};

// The range object's connection point; each advised sink gets its own cookie.
class FakeConnectionPoint : public host::RangeEventsConnection {
  public:
    explicit FakeConnectionPoint(HostContext context) : context_(context) {}
    std::uint32_t Advise(std::shared_ptr<host::RangeEventsDispatch> sink) override;
    void Unadvise(std::uint32_t cookie) override;

    // Calls every advised sink, as the host fires an event; returns the sinks' results.
    std::vector<CallResult> Fire(std::int32_t dispatch_id,
                                 const std::vector<Variant>& arguments = {});
    std::size_t SinkCount() const { return sinks_.size(); }

  private:
    HostContext context_;
    std::map<std::uint32_t, std::shared_ptr<host::RangeEventsDispatch>> sinks_;
    std::uint32_t next_cookie_ = 1;
};

class FakeRanges : public host::Ranges {
  public:
    explicit FakeRanges(HostContext context);

    std::shared_ptr<host::RangeItem> Root() override;
    std::shared_ptr<host::RangeItem> FindRange(std::u16string_view id) override;
    std::shared_ptr<host::RangeEventsConnection> ChangeEvents() override;

    // Replaces the tree (as the user editing sectors does).
    void SetRoot(std::shared_ptr<FakeRangeItem> root);
    std::shared_ptr<FakeRangeItem> Find(const std::string& id) const;
    // No connection point at all: events can never come.
    void RemoveConnectionPoint() { connection_.reset(); }
    FakeConnectionPoint* Connection() { return connection_.get(); }

  private:
    void Index(const std::shared_ptr<FakeRangeItem>& node);

    HostContext context_;
    std::shared_ptr<FakeRangeItem> root_;
    std::map<WideString, std::shared_ptr<FakeRangeItem>> by_id_;
    std::shared_ptr<FakeConnectionPoint> connection_;
};

// A recordset of the host's database with every call recorded and open to
// scripted faults; each entry names the statement the recordset came from ("schema" for
// the table listing).
class FakeRecordset : public host::Recordset {
  public:
    FakeRecordset(HostContext context, std::unique_ptr<host::Recordset> inner, std::string origin)
        : context_(context), inner_(std::move(inner)), origin_(std::move(origin)) {}

    int RecordCount() override;
    int FieldCount() override;
    Variant FieldValue(int position) override;
    Variant FieldValue(std::u16string_view name) override;
    bool Eof() override;
    void MoveFirst() override;
    void MoveNext() override;
    std::unique_ptr<host::Recordset> OpenTableSchema() override;

  private:
    void Call(const std::string& operation) const;

    HostContext context_;
    std::unique_ptr<host::Recordset> inner_;
    std::string origin_;
};

// The substitute host's services with every call recorded and open to scripted faults.
class FakeController : public hosts::SubstituteController {
  public:
    // The main window handle is 0x1234.
    FakeController(HostContext context, std::shared_ptr<hosts::HostDatabase> database,
                   std::shared_ptr<host::Ranges> ranges);

    std::int32_t MainHandle() override;
    void OpenModule(std::u16string_view prog_id, std::u16string_view parameter) override;
    std::shared_ptr<host::Ranges> QueryRanges() override;
    void HandleKey(std::int32_t key) override;
    std::unique_ptr<host::Recordset> OpenSQL(std::u16string_view sql) override;
    std::int32_t ExecSQL(std::u16string_view sql) override;
    WideString GetParam(std::u16string_view name) override;

    bool provides_ranges = true;

  private:
    HostContext context_;
};

}  // namespace kvt::fakes
