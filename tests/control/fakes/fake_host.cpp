#include "fakes/fake_host.h"

#include "base/format.h"
#include "base/text.h"

namespace kvt::fakes {

std::shared_ptr<FakeRangeItem> FakeRangeItem::Sector(std::string id, std::string name,
                                                     std::string code, bool valid) {
    auto item = std::make_shared<FakeRangeItem>();
    item->id_ = std::move(id);
    item->name_ = std::move(name);
    item->code = std::move(code);
    item->valid = valid;
    item->leaf_ = true;
    return item;
}

std::shared_ptr<FakeRangeItem> FakeRangeItem::Group(
    std::string name, std::vector<std::shared_ptr<FakeRangeItem>> children) {
    auto item = std::make_shared<FakeRangeItem>();
    item->name_ = std::move(name);
    item->children_ = std::move(children);
    return item;
}

void FakeRangeItem::Bind(const HostContext& context) {
    context_ = context;
    for (const auto& child : children_) {
        child->Bind(context);
    }
}

std::shared_ptr<host::RangeItem> FakeRangeItem::Item(int position) {
    context_.Call(Format("Item %s %d", name_.c_str(), position), "Item");
    return children_.at(static_cast<std::size_t>(position));
}

int FakeRangeItem::Count() {
    context_.Call("Count " + name_, "Count");
    return static_cast<int>(children_.size());
}

WideString FakeRangeItem::Name() {
    context_.Call("Name " + name_, "Name");
    return Utf8ToWide(name_);
}

bool FakeRangeItem::IsLeaf() {
    context_.Call("IsLeaf " + name_, "IsLeaf");
    return leaf_;
}

WideString FakeRangeItem::Code() {
    context_.Call("Code " + name_, "Code");
    return Utf8ToWide(code);
}

bool FakeRangeItem::IsValid() {
    context_.Call("IsValid " + name_, "IsValid");
    return valid;
}

WideString FakeRangeItem::ID() {
    context_.Call("ID " + name_, "ID");
    return Utf8ToWide(id_);
}

std::uint32_t FakeConnectionPoint::Advise(std::shared_ptr<host::RangeEventsDispatch> sink) {
    context_.Call("Advise", "Advise");
    const std::uint32_t cookie = next_cookie_++;
    sinks_[cookie] = std::move(sink);
    return cookie;
}

void FakeConnectionPoint::Unadvise(std::uint32_t cookie) {
    context_.Call(Format("Unadvise %u", cookie), "Unadvise");
    if (sinks_.erase(cookie) == 0) {
        throw EOleError(static_cast<HResult>(0x80040200u), "No such connection");
    }
}

std::vector<CallResult> FakeConnectionPoint::Fire(std::int32_t dispatch_id,
                                                  const std::vector<Variant>& arguments) {
    std::vector<CallResult> results;
    const auto sinks = sinks_;  // a sink may unadvise while it runs
    for (const auto& [cookie, sink] : sinks) {
        results.push_back(sink->Invoke(dispatch_id, arguments));
    }
    return results;
}

FakeRanges::FakeRanges(HostContext context)
    : context_(context), connection_(std::make_shared<FakeConnectionPoint>(context)) {}

std::shared_ptr<host::RangeItem> FakeRanges::Root() {
    context_.Call("Root", "Root");
    return root_;
}

std::shared_ptr<host::RangeItem> FakeRanges::FindRange(std::u16string_view id) {
    context_.Call("FindRange " + WideToUtf8(id), "FindRange");
    const auto found = by_id_.find(WideString(id));
    return found == by_id_.end() ? nullptr : found->second;
}

std::shared_ptr<host::RangeEventsConnection> FakeRanges::ChangeEvents() {
    context_.Call("ChangeEvents", "ChangeEvents");
    return connection_;
}

void FakeRanges::SetRoot(std::shared_ptr<FakeRangeItem> root) {
    root_ = std::move(root);
    by_id_.clear();
    if (root_) {
        root_->Bind(context_);
        Index(root_);
    }
}

void FakeRanges::Index(const std::shared_ptr<FakeRangeItem>& node) {
    for (const auto& child : node->Children()) {
        if (child->Children().empty() && !child->IdUtf8().empty()) {
            by_id_[Utf8ToWide(child->IdUtf8())] = child;
        }
        Index(child);
    }
}

std::shared_ptr<FakeRangeItem> FakeRanges::Find(const std::string& id) const {
    const auto found = by_id_.find(Utf8ToWide(id));
    return found == by_id_.end() ? nullptr : found->second;
}

void FakeRecordset::Call(const std::string& operation) const {
    context_.Call(operation + " " + origin_, operation);
}

int FakeRecordset::RecordCount() {
    Call("RecordCount");
    return inner_->RecordCount();
}

int FakeRecordset::FieldCount() {
    Call("FieldCount");
    return inner_->FieldCount();
}

Variant FakeRecordset::FieldValue(int position) {
    context_.Call(Format("FieldValue %d %s", position, origin_.c_str()), "FieldValue");
    return inner_->FieldValue(position);
}

Variant FakeRecordset::FieldValue(std::u16string_view name) {
    context_.Call("FieldValue " + WideToUtf8(name) + " " + origin_, "FieldValue");
    return inner_->FieldValue(name);
}

bool FakeRecordset::Eof() {
    Call("Eof");
    return inner_->Eof();
}

void FakeRecordset::MoveFirst() {
    Call("MoveFirst");
    inner_->MoveFirst();
}

void FakeRecordset::MoveNext() {
    Call("MoveNext");
    inner_->MoveNext();
}

std::unique_ptr<host::Recordset> FakeRecordset::OpenTableSchema() {
    Call("OpenTableSchema");
    auto tables = inner_->OpenTableSchema();
    if (!tables) {
        return nullptr;
    }
    return std::make_unique<FakeRecordset>(context_, std::move(tables), "schema");
}

FakeController::FakeController(HostContext context, std::shared_ptr<hosts::HostDatabase> database,
                               std::shared_ptr<host::Ranges> ranges)
    : SubstituteController(std::move(database)), context_(context) {
    SetMainHandle(0x1234);
    SetRanges(std::move(ranges));
}

std::int32_t FakeController::MainHandle() {
    context_.Call("MainHandle", "MainHandle");
    return SubstituteController::MainHandle();
}

void FakeController::OpenModule(std::u16string_view prog_id, std::u16string_view parameter) {
    context_.Call("OpenModule " + WideToUtf8(prog_id) + " " + WideToUtf8(parameter), "OpenModule");
    SubstituteController::OpenModule(prog_id, parameter);
}

std::shared_ptr<host::Ranges> FakeController::QueryRanges() {
    context_.Call("QueryRanges", "QueryRanges");
    return provides_ranges ? SubstituteController::QueryRanges() : nullptr;
}

void FakeController::HandleKey(std::int32_t key) {
    context_.Call(Format("HandleKey %d", key), "HandleKey");
    SubstituteController::HandleKey(key);
}

std::unique_ptr<host::Recordset> FakeController::OpenSQL(std::u16string_view sql) {
    const std::string statement = WideToUtf8(sql);
    context_.Call("OpenSQL " + statement, "OpenSQL");
    auto records = SubstituteController::OpenSQL(sql);
    if (!records) {
        return nullptr;
    }
    return std::make_unique<FakeRecordset>(context_, std::move(records), statement);
}

std::int32_t FakeController::ExecSQL(std::u16string_view sql) {
    context_.Call("ExecSQL " + WideToUtf8(sql), "ExecSQL");
    return SubstituteController::ExecSQL(sql);
}

WideString FakeController::GetParam(std::u16string_view name) {
    const std::string key = WideToUtf8(name);
    context_.Call("GetParam " + key, "GetParam " + key);
    return SubstituteController::GetParam(name);
}

}  // namespace kvt::fakes
