#include "hosts/common/memory_database.h"

#include "hosts/common/fetched_recordset.h"

namespace kvt::hosts {
namespace {

TableData Fetched(const Table& table) {
    TableData data{table.columns, {}};
    for (const auto& row : table.rows) {
        std::vector<Variant>& cells = data.rows.emplace_back();
        for (const WideString& cell : row) {
            cells.emplace_back(cell);
        }
    }
    return data;
}

// The listing through the store, which the lister keeps.
TableLister TablesOf(std::shared_ptr<const TableStore> store) {
    return [store = std::move(store)] { return Fetched(store->Listing()); };
}

}  // namespace

std::unique_ptr<host::Recordset> MemoryDatabase::OpenSQL(std::u16string_view sql) {
    return std::make_unique<FetchedRecordset>(Fetched(store_->Query(sql)), TablesOf(store_));
}

std::int32_t MemoryDatabase::ExecSQL(std::u16string_view sql) {
    return store_->Execute(sql);
}

std::unique_ptr<host::Recordset> MemoryDatabase::OpenTableSchema() {
    return std::make_unique<FetchedRecordset>(Fetched(store_->Listing()), TablesOf(store_));
}

}  // namespace kvt::hosts
