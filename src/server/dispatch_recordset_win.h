#pragma once
// The core's recordset view over an ADO-style recordset the host returns, late-bound by
// member name: RecordCount, Fields, Item, Value, EOF, MoveFirst, MoveNext,
// ActiveConnection and openSchema.

#include <windows.h>

#include <oaidl.h>

#include <memory>

#include "com/com_ptr_win.h"
#include "control/host_ports.h"

namespace kvt::server {

class DispatchRecordset final : public host::Recordset {
  public:
    explicit DispatchRecordset(com::ComPtr<IDispatch> recordset)
        : recordset_(std::move(recordset)) {}

    int RecordCount() override;
    int FieldCount() override;
    Variant FieldValue(int position) override;
    Variant FieldValue(std::u16string_view name) override;
    bool Eof() override;
    void MoveFirst() override;
    void MoveNext() override;
    std::unique_ptr<host::Recordset> OpenTableSchema() override;

  private:
    com::ComPtr<IDispatch> Fields();
    Variant ValueOf(const Variant& index);

    com::ComPtr<IDispatch> recordset_;
};

}  // namespace kvt::server
