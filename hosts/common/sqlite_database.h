#pragma once
// The substitute host's database on SQLite 3, in a file or in memory (":memory:"),
// answering the host's OpenSQL and ExecSQL. Failures raise EOleError with E_FAIL and
// SQLite's message.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "control/host_ports.h"
#include "hosts/common/host_database.h"
#include "hosts/common/sqlite_connection.h"

namespace kvt::hosts {

class SqliteDatabase final : public HostDatabase {
  public:
    explicit SqliteDatabase(const std::string& path, OpenMode mode = OpenMode::CreateIfMissing);

    std::unique_ptr<host::Recordset> OpenSQL(std::u16string_view sql) override;
    std::int32_t ExecSQL(std::u16string_view sql) override;
    std::unique_ptr<host::Recordset> OpenTableSchema() override;

  private:
    Connection connection_;
};

}  // namespace kvt::hosts
