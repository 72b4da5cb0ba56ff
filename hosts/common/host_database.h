#pragma once
// A substitute host's database as the host's services reach it: queries, statements and
// the table listing. Failures raise EOleError with E_FAIL and the database's message.

#include <cstdint>
#include <memory>
#include <string_view>

#include "control/host_ports.h"

namespace kvt::hosts {

class HostDatabase {
  public:
    virtual ~HostDatabase() = default;

    // Runs one query; the recordset holds all its rows, so RecordCount is known.
    virtual std::unique_ptr<host::Recordset> OpenSQL(std::u16string_view sql) = 0;

    // Runs every statement of `sql`; returns the number of rows changed.
    virtual std::int32_t ExecSQL(std::u16string_view sql) = 0;

    // The listing of tables and views, as a recordset's OpenTableSchema gives it.
    virtual std::unique_ptr<host::Recordset> OpenTableSchema() = 0;

    // The host's own table netSYSTEM (IValue INTEGER), which the settings store's table
    // test queries; without it the store refuses the host.
    void CreateHostTables() { ExecSQL(u"create table if not exists netSYSTEM (IValue INTEGER)"); }
};

}  // namespace kvt::hosts
