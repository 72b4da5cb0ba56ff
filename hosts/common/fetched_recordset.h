#pragma once
// A recordset over rows fetched in full from a substitute host's database.

#include <cstddef>
#include <functional>
#include <memory>

#include "control/host_ports.h"
#include "hosts/common/table_data.h"

namespace kvt::hosts {

// Gives the database's table listing (columns TABLE_NAME and TABLE_TYPE); it keeps what it
// needs of the database alive, so a recordset can still list the tables after the database
// object is gone.
using TableLister = std::function<TableData()>;

class FetchedRecordset final : public host::Recordset {
  public:
    FetchedRecordset(TableData data, TableLister list_tables);

    int RecordCount() override;
    int FieldCount() override;
    Variant FieldValue(int position) override;
    // Column names compare ignoring ASCII letter case.
    Variant FieldValue(std::u16string_view name) override;
    bool Eof() override;
    void MoveFirst() override;
    void MoveNext() override;
    std::unique_ptr<host::Recordset> OpenTableSchema() override;

  private:
    const std::vector<Variant>& CurrentRow() const;

    TableData data_;
    TableLister list_tables_;
    std::size_t row_ = 0;
};

}  // namespace kvt::hosts
