#pragma once
// A recordset over rows fetched in full from the substitute host's database.

#include <cstddef>
#include <memory>

#include "control/host_ports.h"
#include "hosts/common/sqlite_connection.h"

namespace kvt::hosts {

class SqliteRecordset final : public host::Recordset {
  public:
    SqliteRecordset(TableData data, Connection connection);

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
    Connection connection_;
    std::size_t row_ = 0;
};

}  // namespace kvt::hosts
