#pragma once
// The substitute host's database: an SQLite 3 database in a file or in memory
// (":memory:"), answering the host's OpenSQL and ExecSQL. Failures raise EOleError with
// E_FAIL and SQLite's message.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "control/host_ports.h"
#include "hosts/common/sqlite_connection.h"

namespace kvt::hosts {

class SqliteDatabase {
  public:
    explicit SqliteDatabase(const std::string& path, OpenMode mode = OpenMode::CreateIfMissing);

    // The host's own table netSYSTEM (IValue INTEGER), which the settings store's table
    // test queries; without it the store refuses the host.
    void CreateHostTables();

    // Runs one query; the recordset holds all its rows, so RecordCount is known.
    std::unique_ptr<host::Recordset> OpenSQL(std::u16string_view sql);

    // Runs every statement of `sql`; returns the number of rows changed.
    std::int32_t ExecSQL(std::u16string_view sql);

    // The listing of tables and views, as a recordset's OpenTableSchema gives it.
    std::unique_ptr<host::Recordset> OpenTableSchema();

  private:
    Connection connection_;
};

}  // namespace kvt::hosts
