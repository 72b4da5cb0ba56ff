#include "hosts/common/fetched_recordset.h"

#include "base/errors.h"
#include "base/format.h"

namespace kvt::hosts {

FetchedRecordset::FetchedRecordset(TableData data, TableLister list_tables)
    : data_(std::move(data)), list_tables_(std::move(list_tables)) {}

int FetchedRecordset::RecordCount() {
    return static_cast<int>(data_.rows.size());
}

int FetchedRecordset::FieldCount() {
    return static_cast<int>(data_.columns.size());
}

const std::vector<Variant>& FetchedRecordset::CurrentRow() const {
    if (row_ >= data_.rows.size()) {
        throw EOleError(kEFail, "The recordset has no current row");
    }
    return data_.rows[row_];
}

Variant FetchedRecordset::FieldValue(int position) {
    const std::vector<Variant>& row = CurrentRow();
    if (position < 0 || static_cast<std::size_t>(position) >= row.size()) {
        throw EOleError(kEFail, Format("The recordset has no field at position %d", position));
    }
    return row[static_cast<std::size_t>(position)];
}

Variant FetchedRecordset::FieldValue(std::u16string_view name) {
    for (std::size_t column = 0; column < data_.columns.size(); ++column) {
        if (SameTextAscii(data_.columns[column], name)) {
            return FieldValue(static_cast<int>(column));
        }
    }
    throw EOleError(kEFail, "The recordset has no field named " + WideToUtf8(name));
}

bool FetchedRecordset::Eof() {
    return row_ >= data_.rows.size();
}

void FetchedRecordset::MoveFirst() {
    row_ = 0;
}

void FetchedRecordset::MoveNext() {
    if (Eof()) {
        throw EOleError(kEFail, "The recordset is already past its last row");
    }
    ++row_;
}

std::unique_ptr<host::Recordset> FetchedRecordset::OpenTableSchema() {
    return std::make_unique<FetchedRecordset>(list_tables_(), list_tables_);
}

}  // namespace kvt::hosts
