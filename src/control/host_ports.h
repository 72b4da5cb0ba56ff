#pragma once
// The core's view of the host terminal's services. Back ends adapt the host's COM
// interfaces (or a substitute host) to these. Wide text crosses as UTF-16; a failed host
// call arrives as EOleError carrying its HRESULT.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/call_result.h"
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

// What a back end advises on the range object's connection point: the back end turns
// each incoming event call into one Invoke, arguments in first-to-last order.
class RangeEventsDispatch {
  public:
    virtual ~RangeEventsDispatch() = default;
    // Never raises: a failing change handler comes back as the result, for the back end to
    // hand to the host instead of letting it unwind through the host's event call.
    virtual CallResult Invoke(std::int32_t dispatch_id, const std::vector<Variant>& arguments) = 0;
};

// The range object's connection point for its change events.
class RangeEventsConnection {
  public:
    virtual ~RangeEventsConnection() = default;
    // Raises EOleError when the connection point refuses the sink.
    virtual std::uint32_t Advise(std::shared_ptr<RangeEventsDispatch> sink) = 0;
    // Raises EOleError when the connection point refuses.
    virtual void Unadvise(std::uint32_t cookie) = 0;
};

// The host's manager of sectors.
class Ranges {
  public:
    virtual ~Ranges() = default;
    virtual std::shared_ptr<RangeItem> Root() = 0;
    // A sector ID that is not in the tree gives nullptr, not an error.
    virtual std::shared_ptr<RangeItem> FindRange(std::u16string_view id) = 0;
    // The connection point of the change events; nullptr when the object has no
    // connection point container or no connection point for them.
    virtual std::shared_ptr<RangeEventsConnection> ChangeEvents() = 0;
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

// The service object the host hands over at start-up.
class ServiceObject {
  public:
    virtual ~ServiceObject() = default;
    // The object's IDvController; nullptr when it does not provide one.
    virtual std::shared_ptr<Controller> QueryController() = 0;
};

}  // namespace kvt::host
