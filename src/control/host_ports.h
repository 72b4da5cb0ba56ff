#pragma once
// The core's view of the host terminal's services. Back ends adapt the host's COM
// interfaces (or a substitute host) to these. Wide text crosses as UTF-16; a failed host
// call arrives as EOleError carrying its HRESULT.

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/text.h"
#include "base/variant.h"

namespace kvt::host {

// A forward-only view of an ADO-style recordset as the host's OpenSQL returns it,
// positioned on its first row.
class Recordset {
public:
    virtual ~Recordset() = default;
    // Number of rows, or -1 when the cursor cannot tell.
    virtual int RecordCount() = 0;
    virtual int FieldCount() = 0;
    virtual Variant FieldValue(int position) = 0;
    virtual Variant FieldValue(std::u16string_view name) = 0;
    virtual bool Eof() = 0;
    virtual void MoveFirst() = 0;
    virtual void MoveNext() = 0;
    // The database's table listing through the recordset's connection (ADO openSchema
    // with adSchemaTables): rows with the columns "TABLE_TYPE" and "TABLE_NAME".
    virtual std::unique_ptr<Recordset> OpenTableSchema() = 0;
};

// A node of the host's range (sector) tree.
class RangeItem {
public:
    virtual ~RangeItem() = default;
    virtual std::shared_ptr<RangeItem> Item(int position) = 0;
    virtual int Count() = 0;
    virtual WideString Name() = 0;
    virtual bool IsLeaf() = 0;
    virtual WideString Code() = 0;
    virtual bool IsValid() = 0;
    virtual WideString ID() = 0;
};

// The host's manager of sectors.
class Ranges {
public:
    virtual ~Ranges() = default;
    virtual std::shared_ptr<RangeItem> Root() = 0;
    // A sector ID that is not in the tree gives nullptr, not an error.
    virtual std::shared_ptr<RangeItem> FindRange(std::u16string_view id) = 0;
};

// The host's service interface.
class Controller {
public:
    virtual ~Controller() = default;
    virtual std::int32_t MainHandle() = 0;
    virtual void OpenModule(std::u16string_view prog_id, std::u16string_view parameter) = 0;
    // QueryService with the IDvRanges interface ID, queried for IDvRanges; nullptr when the
    // returned object does not provide it.
    virtual std::shared_ptr<Ranges> QueryRanges() = 0;
    virtual void HandleKey(std::int32_t key) = 0;
    // Never returns nullptr without raising, unless the host returned no object.
    virtual std::unique_ptr<Recordset> OpenSQL(std::u16string_view sql) = 0;
    virtual std::int32_t ExecSQL(std::u16string_view sql) = 0;
    virtual WideString GetParam(std::u16string_view name) = 0;
};

}  // namespace kvt::host
