#include "hosts/common/sqlite_database.h"

#include "hosts/common/sqlite_recordset.h"

namespace kvt::hosts {

SqliteDatabase::SqliteDatabase(const std::string& path, OpenMode mode)
    : connection_(OpenConnection(path, mode)) {}

void SqliteDatabase::CreateHostTables() {
    ExecSQL(u"create table if not exists netSYSTEM (IValue INTEGER)");
}

std::unique_ptr<host::Recordset> SqliteDatabase::OpenSQL(std::u16string_view sql) {
    return std::make_unique<SqliteRecordset>(QueryRows(connection_, sql), connection_);
}

std::int32_t SqliteDatabase::ExecSQL(std::u16string_view sql) {
    return ExecuteAll(connection_, sql);
}

std::unique_ptr<host::Recordset> SqliteDatabase::OpenTableSchema() {
    return std::make_unique<SqliteRecordset>(ListTables(connection_), connection_);
}

}  // namespace kvt::hosts
