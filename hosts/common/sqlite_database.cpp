#include "hosts/common/sqlite_database.h"

#include "hosts/common/fetched_recordset.h"

namespace kvt::hosts {
namespace {

// The listing through the connection, which the lister keeps open.
TableLister TablesOf(Connection connection) {
    return [connection = std::move(connection)] { return ListTables(connection); };
}

}  // namespace

SqliteDatabase::SqliteDatabase(const std::string& path, OpenMode mode)
    : connection_(OpenConnection(path, mode)) {}

std::unique_ptr<host::Recordset> SqliteDatabase::OpenSQL(std::u16string_view sql) {
    return std::make_unique<FetchedRecordset>(QueryRows(connection_, sql), TablesOf(connection_));
}

std::int32_t SqliteDatabase::ExecSQL(std::u16string_view sql) {
    return ExecuteAll(connection_, sql);
}

std::unique_ptr<host::Recordset> SqliteDatabase::OpenTableSchema() {
    return std::make_unique<FetchedRecordset>(ListTables(connection_), TablesOf(connection_));
}

}  // namespace kvt::hosts
