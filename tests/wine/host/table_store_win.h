#pragma once
// The test host's database: tables of text cells in memory, the handful of statements the
// control sends, and ADO-style recordsets over them reached only through IDispatch.

#include <windows.h>

#include <oaidl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "com/com_ptr_win.h"

namespace kvt::wintest {

struct Table {
    std::vector<std::wstring> columns;
    std::vector<std::vector<std::wstring>> rows;
};

class TableStore : public std::enable_shared_from_this<TableStore> {
  public:
    // Table names compare case-insensitively.
    void Put(const std::wstring& name, Table table);
    const Table* Find(const std::wstring& name) const;

    // "select <columns> from <table> [where <column> = '<text>']"; raises on anything else.
    com::ComPtr<IDispatch> Open(const std::wstring& sql);
    // create table, delete ... where, insert ... values; answers the rows affected.
    LONG Execute(const std::wstring& sql);

    const std::vector<std::wstring>& Statements() const { return statements_; }
    // The table listing: TABLE_TYPE, TABLE_NAME.
    Table Schema() const;

  private:
    std::map<std::wstring, Table> tables_;
    std::vector<std::wstring> statements_;
};

// A recordset on `rows`, whose ActiveConnection lists the store's tables; `origin` names
// where it came from (the statement, or "schema") in its host calls.
com::ComPtr<IDispatch> MakeRecordset(Table rows, std::shared_ptr<TableStore> store,
                                     std::string origin);

}  // namespace kvt::wintest
