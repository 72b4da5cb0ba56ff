#include "host_objects_win.h"

#include <olectl.h>

#include "com/bstr_win.h"
#include "com/out_param_win.h"

namespace kvt::wintest {

namespace {

std::wstring Text(BSTR text) {
    return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

HRESULT PutText(const std::wstring& text, BSTR* out) {
    if (const HRESULT hr = com::RequirePointers(out); FAILED(hr)) {
        return hr;
    }
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return S_OK;
}

}  // namespace

// The connection point of IDvRangesEvents: keeps the advised sinks by cookie.
class RangesEventsPoint final : public com::ComObjectBase<IConnectionPoint> {
  public:
    explicit RangesEventsPoint(IConnectionPointContainer* container) : container_(container) {}

    void Cut() { container_ = nullptr; }
    std::size_t Count() const { return sinks_.size(); }

    int Fire(DISPID dispatch_id) {
        // A copy: a sink may unadvise while it is called.
        const std::map<DWORD, com::ComPtr<IDispatch>> sinks = sinks_;
        int called = 0;
        for (const auto& [cookie, sink] : sinks) {
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            if (SUCCEEDED(sink->Invoke(dispatch_id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                       &none, nullptr, nullptr, nullptr))) {
                ++called;
            }
        }
        return called;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) noexcept override {
        return com::SetOut(iid, DIID_IDvRangesEvents);
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** out) noexcept override {
        if (const HRESULT hr = com::RequirePointers(out); FAILED(hr)) {
            return hr;
        }
        *out = container_;
        if (container_ != nullptr) {
            container_->AddRef();
        }
        return container_ != nullptr ? S_OK : E_UNEXPECTED;
    }
    // As a real source does, the sink is asked for the event interface itself.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) noexcept override {
        if (const HRESULT hr = com::RequirePointers(sink, cookie); FAILED(hr)) {
            return hr;
        }
        com::ComPtr<IDispatch> events;
        if (FAILED(sink->QueryInterface(DIID_IDvRangesEvents, events.OutVoid()))) {
            return CONNECT_E_CANNOTCONNECT;
        }
        *cookie = next_cookie_++;
        sinks_[*cookie] = events;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override {
        return sinks_.erase(cookie) == 1 ? S_OK : CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) noexcept override {
        return com::NotImplemented(out);
    }

  private:
    IConnectionPointContainer* container_;  // not owned: the container owns the point
    std::map<DWORD, com::ComPtr<IDispatch>> sinks_;
    DWORD next_cookie_ = 1;
};

TestRangeItem::TestRangeItem(std::wstring id, std::wstring name, std::wstring code, bool valid)
    : id_(std::move(id)), name_(std::move(name)), code_(std::move(code)), valid_(valid) {}

void TestRangeItem::Add(com::ComPtr<TestRangeItem> child) {
    children_.push_back(std::move(child));
}

TestRangeItem* TestRangeItem::Find(const std::wstring& id) {
    if (children_.empty() && id_ == id) {
        return this;
    }
    for (const auto& child : children_) {
        if (TestRangeItem* found = child->Find(id)) {
            return found;
        }
    }
    return nullptr;
}

HRESULT TestRangeItem::Item(LONG index, IDvRangeItem** item) noexcept {
    if (const HRESULT hr = com::RequirePointers(item); FAILED(hr)) {
        return hr;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= children_.size()) {
        return com::AnswerEmpty(DISP_E_BADINDEX, item);
    }
    *item = com::ComPtr<TestRangeItem>(children_[static_cast<std::size_t>(index)]).Detach();
    return S_OK;
}

HRESULT TestRangeItem::Count(LONG* count) noexcept {
    return com::SetOut(count, static_cast<LONG>(children_.size()));
}

HRESULT TestRangeItem::Name(BSTR* name) noexcept {
    return PutText(name_, name);
}

HRESULT TestRangeItem::IsLeaf(VARIANT_BOOL* leaf) noexcept {
    return com::SetOut(leaf, children_.empty() ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT TestRangeItem::Code(BSTR* code) noexcept {
    return PutText(code_, code);
}

HRESULT TestRangeItem::IsValid(VARIANT_BOOL* valid) noexcept {
    return com::SetOut(valid, valid_ ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT TestRangeItem::ID(BSTR* id) noexcept {
    return PutText(id_, id);
}

TestRanges::TestRanges(com::ComPtr<TestRangeItem> root)
    : root_(std::move(root)),
      point_(com::MakeComObject<RangesEventsPoint>(static_cast<IConnectionPointContainer*>(this))) {
}

TestRanges::~TestRanges() {
    point_->Cut();
}

int TestRanges::Fire(DISPID dispatch_id) {
    return point_->Fire(dispatch_id);
}

std::size_t TestRanges::SinkCount() const {
    return point_->Count();
}

HRESULT TestRanges::Root(IDvRangeItem** root) noexcept {
    return com::SetOut(root, root_);
}

HRESULT TestRanges::FindRange(BSTR id, IDvRangeItem** item) noexcept {
    if (const HRESULT hr = com::RequirePointers(item); FAILED(hr)) {
        return hr;
    }
    TestRangeItem* found = root_->Find(Text(id));
    *item = found;
    if (found != nullptr) {
        found->AddRef();
    }
    return S_OK;
}

HRESULT TestRanges::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept {
    return com::NotImplemented(points);
}

HRESULT TestRanges::FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept {
    if (const HRESULT hr = com::RequirePointers(point); FAILED(hr)) {
        return hr;
    }
    if (iid != DIID_IDvRangesEvents) {
        return com::AnswerEmpty(CONNECT_E_NOCONNECTION, point);
    }
    *point = com::ComPtr<RangesEventsPoint>(point_).Detach();
    return S_OK;
}

TestController::TestController(com::ComPtr<TestRanges> ranges, std::shared_ptr<TableStore> store,
                               HWND main_window)
    : ranges_(std::move(ranges)), store_(std::move(store)), main_window_(main_window) {}

HRESULT TestController::MainHandle(LONG* handle) noexcept {
    return com::SetOut(handle, static_cast<LONG>(reinterpret_cast<LONG_PTR>(main_window_)));
}

HRESULT TestController::OpenModule(BSTR prog_id, BSTR parameter, LONG, LONG) noexcept {
    opened_modules_.push_back(Text(prog_id) + L"|" + Text(parameter));
    return S_OK;
}

HRESULT TestController::QueryService(GUID iid, IUnknown** service, LONG* status) noexcept {
    if (const HRESULT hr = com::RequirePointers(service, status); FAILED(hr)) {
        return hr;
    }
    *status = 0;
    *service = nullptr;
    if (iid != IID_IDvRanges) {
        return E_NOINTERFACE;
    }
    *service = static_cast<IDvRanges*>(com::ComPtr<TestRanges>(ranges_).Detach());
    return S_OK;
}

HRESULT TestController::HandleKey(LONG key) noexcept {
    handled_keys_.push_back(key);
    return S_OK;
}

HRESULT TestController::OpenSQL(BSTR sql, IDispatch** recordset) noexcept {
    if (const HRESULT hr = com::RequirePointers(recordset); FAILED(hr)) {
        return hr;
    }
    try {
        *recordset = store_->Open(Text(sql)).Detach();
        return S_OK;
    } catch (...) {
        *recordset = nullptr;
        return E_FAIL;
    }
}

HRESULT TestController::ExecSQL(BSTR sql, LONG* affected) noexcept {
    if (const HRESULT hr = com::RequirePointers(affected); FAILED(hr)) {
        return hr;
    }
    try {
        *affected = store_->Execute(Text(sql));
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TestController::GetParam(BSTR name, BSTR* value) noexcept {
    const auto failing = failing_params_.find(Text(name));
    if (failing != failing_params_.end()) {
        return failing->second;
    }
    const auto found = params_.find(Text(name));
    return PutText(found == params_.end() ? std::wstring() : found->second, value);
}

}  // namespace kvt::wintest
