#include "server/dispatch_recordset_win.h"

#include "com/late_binding_win.h"

namespace kvt::server {

namespace {

constexpr std::int32_t kSchemaTables = 20;  // adSchemaTables

}  // namespace

int DispatchRecordset::RecordCount() {
    return com::GetProperty(*recordset_.Get(), u"RecordCount").ToInt32();
}

com::ComPtr<IDispatch> DispatchRecordset::Fields() {
    return com::DispatchOf(com::GetProperty(*recordset_.Get(), u"Fields"), "Fields");
}

int DispatchRecordset::FieldCount() {
    return com::GetProperty(*Fields().Get(), u"Count").ToInt32();
}

Variant DispatchRecordset::ValueOf(const Variant& index) {
    const com::ComPtr<IDispatch> field =
        com::DispatchOf(com::GetProperty(*Fields().Get(), u"Item", {index}), "Item");
    return com::GetProperty(*field.Get(), u"Value");
}

Variant DispatchRecordset::FieldValue(int position) {
    return ValueOf(Variant(static_cast<std::int32_t>(position)));
}

Variant DispatchRecordset::FieldValue(std::u16string_view name) {
    return ValueOf(Variant(WideString(name)));
}

bool DispatchRecordset::Eof() {
    return com::GetProperty(*recordset_.Get(), u"EOF").ToBool();
}

void DispatchRecordset::MoveFirst() {
    com::CallMethod(*recordset_.Get(), u"MoveFirst");
}

void DispatchRecordset::MoveNext() {
    com::CallMethod(*recordset_.Get(), u"MoveNext");
}

std::unique_ptr<host::Recordset> DispatchRecordset::OpenTableSchema() {
    const com::ComPtr<IDispatch> connection = com::DispatchOf(
        com::GetProperty(*recordset_.Get(), u"ActiveConnection"), "ActiveConnection");
    return std::make_unique<DispatchRecordset>(com::DispatchOf(
        com::CallMethod(*connection.Get(), u"openSchema", {Variant(kSchemaTables)}), "openSchema"));
}

}  // namespace kvt::server
