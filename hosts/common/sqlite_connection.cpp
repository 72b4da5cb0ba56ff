#include "hosts/common/sqlite_connection.h"

#include <sqlite3.h>

#include <limits>

#include "base/errors.h"

namespace kvt::hosts {
namespace {

[[noreturn]] void RaiseError(sqlite3* db) {
    throw EOleError(kEFail, sqlite3_errmsg(db));
}

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Compiles the first statement of [begin, end) and moves `begin` past it. A stretch of
// blanks or comments compiles to no statement (nullptr).
StatementPtr PrepareNext(sqlite3* db, const char16_t*& begin, const char16_t* end) {
    const auto bytes = static_cast<std::size_t>(end - begin) * sizeof(char16_t);
    if (bytes > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw EOleError(kEFail, "The statement text is too long");
    }
    sqlite3_stmt* raw = nullptr;
    const void* tail = nullptr;
    if (sqlite3_prepare16_v2(db, begin, static_cast<int>(bytes), &raw, &tail) != SQLITE_OK) {
        RaiseError(db);
    }
    begin = tail != nullptr ? static_cast<const char16_t*>(tail) : end;
    return StatementPtr(raw);
}

// The next statement of the text that is not blank, or nullptr at its end.
StatementPtr NextStatement(sqlite3* db, const char16_t*& begin, const char16_t* end) {
    while (begin < end) {
        const char16_t* before = begin;
        StatementPtr statement = PrepareNext(db, begin, end);
        if (statement) {
            return statement;
        }
        if (begin == before) {
            break;
        }
    }
    return nullptr;
}

// Advances to the next row; false once the statement is done.
bool Step(sqlite3* db, sqlite3_stmt* statement) {
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc != SQLITE_DONE) {
        RaiseError(db);
    }
    return false;
}

WideString Text16(const void* text, int bytes) {
    if (text == nullptr) {
        return {};
    }
    return WideString(static_cast<const char16_t*>(text),
                      static_cast<std::size_t>(bytes) / sizeof(char16_t));
}

Variant CellValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER: {
            const sqlite3_int64 value = sqlite3_column_int64(statement, column);
            if (value >= std::numeric_limits<std::int32_t>::min() &&
                value <= std::numeric_limits<std::int32_t>::max()) {
                return Variant(static_cast<std::int32_t>(value));
            }
            return Variant(static_cast<std::int64_t>(value));
        }
        case SQLITE_FLOAT:
            return Variant(sqlite3_column_double(statement, column));
        case SQLITE_TEXT: {
            const void* text = sqlite3_column_text16(statement, column);
            return Variant(Text16(text, sqlite3_column_bytes16(statement, column)));
        }
        case SQLITE_BLOB: {
            const auto* data =
                static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, column));
            const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
            return Variant::Bytes(data == nullptr ? Variant::ByteArray()
                                                  : Variant::ByteArray(data, data + size));
        }
        default:
            return Variant::Null();
    }
}

TableData FetchAll(sqlite3* db, sqlite3_stmt* statement) {
    TableData data;
    const int count = sqlite3_column_count(statement);
    for (int column = 0; column < count; ++column) {
        const void* name = sqlite3_column_name16(statement, column);
        data.columns.push_back(name != nullptr ? WideString(static_cast<const char16_t*>(name))
                                               : WideString());
    }
    while (Step(db, statement)) {
        std::vector<Variant>& row = data.rows.emplace_back();
        for (int column = 0; column < count; ++column) {
            row.push_back(CellValue(statement, column));
        }
    }
    return data;
}

Variant TableType(const WideString& sqlite_type, const WideString& name) {
    if (name.starts_with(u"sqlite_")) {
        return Variant(WideString(u"SYSTEM TABLE"));
    }
    return Variant(WideString(sqlite_type == u"view" ? u"VIEW" : u"TABLE"));
}

}  // namespace

Connection OpenConnection(const std::string& path, OpenMode mode) {
    int flags = SQLITE_OPEN_READWRITE;
    if (mode == OpenMode::CreateIfMissing) {
        flags |= SQLITE_OPEN_CREATE;
    }
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Connection connection(raw, [](sqlite3* db) { sqlite3_close_v2(db); });
    if (rc != SQLITE_OK) {
        const std::string reason = raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        throw EOleError(kEFail, "Cannot open database '" + path + "': " + reason);
    }
    return connection;
}

TableData QueryRows(const Connection& connection, std::u16string_view sql) {
    sqlite3* db = connection.get();
    const char16_t* begin = sql.data();
    const char16_t* const end = sql.data() + sql.size();
    const StatementPtr statement = NextStatement(db, begin, end);
    if (!statement) {
        throw EOleError(kEFail, "The query text holds no statement");
    }
    if (NextStatement(db, begin, end)) {
        throw EOleError(kEFail, "The query text holds more than one statement");
    }
    return FetchAll(db, statement.get());
}

std::int32_t ExecuteAll(const Connection& connection, std::u16string_view sql) {
    sqlite3* db = connection.get();
    const int changes_before = sqlite3_total_changes(db);
    const char16_t* begin = sql.data();
    const char16_t* const end = sql.data() + sql.size();
    while (const StatementPtr statement = NextStatement(db, begin, end)) {
        while (Step(db, statement.get())) {
        }
    }
    return sqlite3_total_changes(db) - changes_before;
}

TableData ListTables(const Connection& connection) {
    const TableData master =
        QueryRows(connection,
                  u"select type, name from sqlite_master where type in ('table', 'view') "
                  u"order by name");
    TableData listing;
    listing.columns = {u"TABLE_NAME", u"TABLE_TYPE"};
    for (const std::vector<Variant>& row : master.rows) {
        const WideString type = row[0].ToWide();
        const WideString name = row[1].ToWide();
        listing.rows.push_back({Variant(name), TableType(type, name)});
    }
    return listing;
}

}  // namespace kvt::hosts
