#include "com/dispatch_recordset_win.h"

#include "com/late_binding_win.h"

namespace kvt::com {

namespace {

constexpr std::int32_t kSchemaTables = 20;  // adSchemaTables

}  // namespace

int DispatchRecordset::RecordCount() {
    return GetProperty(*recordset_.Get(), u"RecordCount").ToInt32();
}

ComPtr<IDispatch> DispatchRecordset::Fields() {
    return DispatchOf(GetProperty(*recordset_.Get(), u"Fields"), "Fields");
}

int DispatchRecordset::FieldCount() {
    return GetProperty(*Fields().Get(), u"Count").ToInt32();
}

Variant DispatchRecordset::ValueOf(const Variant& index) {
    const ComPtr<IDispatch> field =
        DispatchOf(GetProperty(*Fields().Get(), u"Item", {index}), "Item");
    return GetProperty(*field.Get(), u"Value");
}

Variant DispatchRecordset::FieldValue(int position) {
    return ValueOf(Variant(static_cast<std::int32_t>(position)));
}

Variant DispatchRecordset::FieldValue(std::u16string_view name) {
    return ValueOf(Variant(WideString(name)));
}

bool DispatchRecordset::Eof() {
    return GetProperty(*recordset_.Get(), u"EOF").ToBool();
}

void DispatchRecordset::MoveFirst() {
    CallMethod(*recordset_.Get(), u"MoveFirst");
}

void DispatchRecordset::MoveNext() {
    CallMethod(*recordset_.Get(), u"MoveNext");
}

std::unique_ptr<host::Recordset> DispatchRecordset::OpenTableSchema() {
    const ComPtr<IDispatch> connection =
        DispatchOf(GetProperty(*recordset_.Get(), u"ActiveConnection"), "ActiveConnection");
    return std::make_unique<DispatchRecordset>(DispatchOf(
        CallMethod(*connection.Get(), u"openSchema", {Variant(kSchemaTables)}), "openSchema"));
}

}  // namespace kvt::com
