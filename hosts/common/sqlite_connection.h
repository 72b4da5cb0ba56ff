#pragma once
// Statements on an SQLite connection, for the substitute host's database. Statement
// texts are handed to SQLite as UTF-16 and text cells come back as UTF-16; the database
// itself stores text as UTF-8, SQLite's default. Every failure raises EOleError with
// E_FAIL and SQLite's message.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "base/variant.h"
#include "hosts/common/table_data.h"

struct sqlite3;

namespace kvt::hosts {

// Shared by the database object and every recordset it opened, so a recordset can still
// reach its connection (as its table listing needs) after the database object is gone.
using Connection = std::shared_ptr<sqlite3>;

enum class OpenMode {
    CreateIfMissing,  // a missing file becomes a new, empty database
    ExistingOnly,     // a missing file is an error
};

Connection OpenConnection(const std::string& path, OpenMode mode);

// Runs the one statement of `sql` and fetches its rows. Text with no statement, or with
// more than one, is refused rather than partly run.
TableData QueryRows(const Connection& connection, std::u16string_view sql);

// Runs every statement of `sql` in order, stopping at the first failure; returns the
// number of rows they inserted, changed or deleted.
std::int32_t ExecuteAll(const Connection& connection, std::u16string_view sql);

// The database's tables and views as the columns TABLE_NAME and TABLE_TYPE ("TABLE",
// "VIEW", or "SYSTEM TABLE" for SQLite's own tables).
TableData ListTables(const Connection& connection);

}  // namespace kvt::hosts
