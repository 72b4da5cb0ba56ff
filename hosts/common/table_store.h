#pragma once
// Tables of text cells in memory and the handful of statements a control sends to its
// host's database: enough of a database for test hosts on platforms without SQLite.
// Keywords, table and column names compare ignoring ASCII letter case; every refused or
// failing statement raises EOleError with E_FAIL and leaves the tables unchanged.

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace kvt::hosts {

struct Table {
    std::vector<WideString> columns;
    std::vector<std::vector<WideString>> rows;
};

class TableStore {
  public:
    // Adds `table` under `name`, replacing a table of that name.
    void Put(std::u16string_view name, Table table);
    const Table* Find(std::u16string_view name) const;

    // "select <column>, ... from <table> [where <column> = '<text>']"
    Table Query(std::u16string_view sql) const;

    // "create table [if not exists] <table> (<column> <type>[(<size>)], ...)",
    // "delete from <table> [where <column> = '<text>']",
    // "insert into <table> [(<column>, ...)] values ('<text>', ...)";
    // answers the number of rows inserted or deleted. Columns an insert leaves out hold
    // the empty text.
    std::int32_t Execute(std::u16string_view sql);

    // The columns TABLE_TYPE ("TABLE") and TABLE_NAME (as created) of every table, and one
    // "SYSTEM TABLE" as a host database lists its own.
    Table Listing() const;

  private:
    struct Named {
        WideString name;
        Table table;
    };

    Table& Existing(std::u16string_view name);

    std::map<WideString, Named> tables_;  // by the name in lower case
};

}  // namespace kvt::hosts
