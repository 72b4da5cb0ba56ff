#pragma once
// The test host's database: the substitute host's tables in memory with the handful of
// statements the control sends, and ADO-style recordsets over them reached only through
// IDispatch.

#include <windows.h>

#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

#include "com/com_ptr_win.h"
#include "hosts/common/table_store.h"

namespace kvt::wintest {

using hosts::Table;

class TableStore : public std::enable_shared_from_this<TableStore> {
  public:
    // Table names compare case-insensitively.
    void Put(const std::wstring& name, Table table);
    const Table* Find(const std::wstring& name) const;

    // A query (see hosts::TableStore::Query) as a recordset; raises EOleError on anything
    // the store refuses.
    com::ComPtr<IDispatch> Open(const std::wstring& sql);
    // create table, delete ... where, insert ... values; answers the rows affected.
    LONG Execute(const std::wstring& sql);

    const std::vector<std::wstring>& Statements() const { return statements_; }
    // The table listing: TABLE_TYPE, TABLE_NAME.
    Table Schema() const { return tables_.Listing(); }

  private:
    hosts::TableStore tables_;
    std::vector<std::wstring> statements_;
};

// A recordset on `rows`, whose ActiveConnection lists the store's tables; `origin` names
// where it came from (the statement, or "schema") in its host calls.
com::ComPtr<IDispatch> MakeRecordset(Table rows, std::shared_ptr<TableStore> store,
                                     std::string origin);

}  // namespace kvt::wintest
