#pragma once
// A substitute host's database in memory, on the table store: it answers the statements
// the settings store sends, for test hosts on platforms without SQLite. Every cell is
// text.

#include <cstdint>
#include <memory>
#include <string_view>

#include "hosts/common/host_database.h"
#include "hosts/common/table_store.h"

namespace kvt::hosts {

class MemoryDatabase final : public HostDatabase {
  public:
    MemoryDatabase() : store_(std::make_shared<TableStore>()) {}

    std::unique_ptr<host::Recordset> OpenSQL(std::u16string_view sql) override;
    std::int32_t ExecSQL(std::u16string_view sql) override;
    std::unique_ptr<host::Recordset> OpenTableSchema() override;

  private:
    std::shared_ptr<TableStore> store_;
};

}  // namespace kvt::hosts
