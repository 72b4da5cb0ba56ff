#include "hosts/common/sqlite_recordset.h"

#include "base/errors.h"
#include "base/format.h"

namespace kvt::hosts {

SqliteRecordset::SqliteRecordset(TableData data, Connection connection)
    : data_(std::move(data)), connection_(std::move(connection)) {}

int SqliteRecordset::RecordCount() {
    return static_cast<int>(data_.rows.size());
}

int SqliteRecordset::FieldCount() {
    return static_cast<int>(data_.columns.size());
}

const std::vector<Variant>& SqliteRecordset::CurrentRow() const {
    if (row_ >= data_.rows.size()) {
        throw EOleError(kEFail, "The recordset has no current row");
    }
    return data_.rows[row_];
}

Variant SqliteRecordset::FieldValue(int position) {
    const std::vector<Variant>& row = CurrentRow();
    if (position < 0 || static_cast<std::size_t>(position) >= row.size()) {
        throw EOleError(kEFail, Format("The recordset has no field at position %d", position));
    }
    return row[static_cast<std::size_t>(position)];
}

Variant SqliteRecordset::FieldValue(std::u16string_view name) {
    for (std::size_t column = 0; column < data_.columns.size(); ++column) {
        if (SameTextAscii(data_.columns[column], name)) {
            return FieldValue(static_cast<int>(column));
        }
    }
    throw EOleError(kEFail, "The recordset has no field named " + WideToUtf8(name));
}

bool SqliteRecordset::Eof() {
    return row_ >= data_.rows.size();
}

void SqliteRecordset::MoveFirst() {
    row_ = 0;
}

void SqliteRecordset::MoveNext() {
    if (Eof()) {
        throw EOleError(kEFail, "The recordset is already past its last row");
    }
    ++row_;
}

std::unique_ptr<host::Recordset> SqliteRecordset::OpenTableSchema() {
    return std::make_unique<SqliteRecordset>(ListTables(connection_), connection_);
}

}  // namespace kvt::hosts
