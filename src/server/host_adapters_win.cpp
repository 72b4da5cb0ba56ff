#include "server/host_adapters_win.h"

#include <ocidl.h>

#include "base/errors.h"
#include "com/bstr_win.h"
#include "com/com_error_win.h"
#include "com/com_ptr_win.h"
#include "dravon.h"
#include "orvanta.h"
#include "server/dispatch_recordset_win.h"
#include "server/range_event_sink_win.h"

namespace kvt::server {

namespace {

class ComRangeItem final : public host::RangeItem {
  public:
    explicit ComRangeItem(com::ComPtr<IDvRangeItem> item) : item_(std::move(item)) {}

    static std::shared_ptr<host::RangeItem> Wrap(com::ComPtr<IDvRangeItem> item) {
        return item ? std::make_shared<ComRangeItem>(std::move(item)) : nullptr;
    }

    std::shared_ptr<host::RangeItem> Item(int position) override {
        com::ComPtr<IDvRangeItem> child;
        com::Check(item_->Item(position, child.Out()), item_, "IDvRangeItem::Item");
        return Wrap(std::move(child));
    }
    int Count() override {
        LONG count = 0;
        com::Check(item_->Count(&count), item_, "IDvRangeItem::Count");
        return static_cast<int>(count);
    }
    WideString Name() override { return Text(&IDvRangeItem::Name, "IDvRangeItem::Name"); }
    bool IsLeaf() override {
        VARIANT_BOOL leaf = VARIANT_FALSE;
        com::Check(item_->IsLeaf(&leaf), item_, "IDvRangeItem::IsLeaf");
        return leaf != VARIANT_FALSE;
    }
    WideString Code() override { return Text(&IDvRangeItem::Code, "IDvRangeItem::Code"); }
    bool IsValid() override {
        VARIANT_BOOL valid = VARIANT_FALSE;
        com::Check(item_->IsValid(&valid), item_, "IDvRangeItem::IsValid");
        return valid != VARIANT_FALSE;
    }
    WideString ID() override { return Text(&IDvRangeItem::ID, "IDvRangeItem::ID"); }

  private:
    WideString Text(HRESULT (STDMETHODCALLTYPE IDvRangeItem::*getter)(BSTR*), const char* what) {
        com::Bstr text;
        com::Check((item_.Get()->*getter)(text.Out()), item_, what);
        return text.Text();
    }

    com::ComPtr<IDvRangeItem> item_;
};

class ComRangeEventsConnection final : public host::RangeEventsConnection {
  public:
    explicit ComRangeEventsConnection(com::ComPtr<IConnectionPoint> point)
        : point_(std::move(point)) {}

    std::uint32_t Advise(std::shared_ptr<host::RangeEventsDispatch> sink) override {
        const com::ComPtr<RangeEventSink> object =
            com::MakeComObject<RangeEventSink>(std::move(sink));
        DWORD cookie = 0;
        com::Check(point_->Advise(static_cast<IDispatch*>(object.Get()), &cookie), point_,
                   "IConnectionPoint::Advise");
        return cookie;
    }
    void Unadvise(std::uint32_t cookie) override {
        com::Check(point_->Unadvise(cookie), point_, "IConnectionPoint::Unadvise");
    }

  private:
    com::ComPtr<IConnectionPoint> point_;
};

class ComRanges final : public host::Ranges {
  public:
    explicit ComRanges(com::ComPtr<IDvRanges> ranges) : ranges_(std::move(ranges)) {}

    std::shared_ptr<host::RangeItem> Root() override {
        com::ComPtr<IDvRangeItem> root;
        com::Check(ranges_->Root(root.Out()), ranges_, "IDvRanges::Root");
        return ComRangeItem::Wrap(std::move(root));
    }
    std::shared_ptr<host::RangeItem> FindRange(std::u16string_view id) override {
        const com::Bstr text(id);
        com::ComPtr<IDvRangeItem> item;
        com::Check(ranges_->FindRange(text.Get(), item.Out()), ranges_, "IDvRanges::FindRange");
        return ComRangeItem::Wrap(std::move(item));
    }
    std::shared_ptr<host::RangeEventsConnection> ChangeEvents() override {
        const auto container = ranges_.As<IConnectionPointContainer>();
        if (!container) {
            return nullptr;
        }
        com::ComPtr<IConnectionPoint> point;
        if (FAILED(container->FindConnectionPoint(DIID_IDvRangesEvents, point.Out())) || !point) {
            return nullptr;
        }
        return std::make_shared<ComRangeEventsConnection>(std::move(point));
    }

  private:
    com::ComPtr<IDvRanges> ranges_;
};

class ComController final : public host::Controller {
  public:
    explicit ComController(com::ComPtr<IDvController> controller)
        : controller_(std::move(controller)) {}

    std::int32_t MainHandle() override {
        LONG handle = 0;
        com::Check(controller_->MainHandle(&handle), controller_, "IDvController::MainHandle");
        return static_cast<std::int32_t>(handle);
    }
    void OpenModule(std::u16string_view prog_id, std::u16string_view parameter) override {
        const com::Bstr id(prog_id);
        const com::Bstr text(parameter);
        com::Check(controller_->OpenModule(id.Get(), text.Get(), 0, 0), controller_,
                   "IDvController::OpenModule");
    }
    std::shared_ptr<host::Ranges> QueryRanges() override {
        com::ComPtr<IUnknown> service;
        LONG status = 0;  // not looked at
        com::Check(controller_->QueryService(IID_IDvRanges, service.Out(), &status), controller_,
                   "IDvController::QueryService");
        const auto ranges = service.As<IDvRanges>();
        return ranges ? std::make_shared<ComRanges>(ranges) : nullptr;
    }
    void HandleKey(std::int32_t key) override {
        com::Check(controller_->HandleKey(key), controller_, "IDvController::HandleKey");
    }
    std::unique_ptr<host::Recordset> OpenSQL(std::u16string_view sql) override {
        const com::Bstr text(sql);
        com::ComPtr<IDispatch> recordset;
        com::Check(controller_->OpenSQL(text.Get(), recordset.Out()), controller_,
                   "IDvController::OpenSQL");
        return recordset ? std::make_unique<DispatchRecordset>(std::move(recordset)) : nullptr;
    }
    std::int32_t ExecSQL(std::u16string_view sql) override {
        const com::Bstr text(sql);
        LONG affected = 0;
        com::Check(controller_->ExecSQL(text.Get(), &affected), controller_,
                   "IDvController::ExecSQL");
        return static_cast<std::int32_t>(affected);
    }
    WideString GetParam(std::u16string_view name) override {
        const com::Bstr text(name);
        com::Bstr value;
        com::Check(controller_->GetParam(text.Get(), value.Out()), controller_,
                   "IDvController::GetParam");
        return value.Text();
    }

  private:
    com::ComPtr<IDvController> controller_;
};

class ComServiceObject final : public host::ServiceObject {
  public:
    explicit ComServiceObject(com::ComPtr<IUnknown> service) : service_(std::move(service)) {}

    std::shared_ptr<host::Controller> QueryController() override {
        const auto controller = service_.As<IDvController>();
        return controller ? std::make_shared<ComController>(controller) : nullptr;
    }

  private:
    com::ComPtr<IUnknown> service_;
};

}  // namespace

std::shared_ptr<host::ServiceObject> HostServiceObject(IUnknown* service) {
    return service != nullptr ? std::make_shared<ComServiceObject>(com::ComPtr<IUnknown>(service))
                              : nullptr;
}

}  // namespace kvt::server
