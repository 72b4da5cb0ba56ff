#include "host_objects_win.h"

#include <olectl.h>

#include <algorithm>

#include "base/text.h"
#include "com/bstr_win.h"
#include "com/out_param_win.h"
#include "fault_switch_win.h"

namespace kvt::wintest {

namespace {

std::wstring Text(BSTR text) {
    return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

std::string Narrow(const std::wstring& text) {
    return WideToUtf8(std::u16string(text.begin(), text.end()));
}

// Counts the call `entry` on the fault switch; the injected failure, with the out
// parameters emptied, or S_OK.
template <typename... Outs>
HRESULT Refused(const std::string& entry, Outs*... outs) {
    const HRESULT hr = HostFaults().Call(entry);
    return FAILED(hr) ? com::AnswerEmpty(hr, outs...) : S_OK;
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
class RangesEventsPoint final : public com::ComObjectBase<IConnectionPoint, ReportsErrorInfo> {
  public:
    explicit RangesEventsPoint(IConnectionPointContainer* container) : container_(container) {}

    void Cut() { container_ = nullptr; }
    std::size_t Count() const { return sinks_.size(); }

    std::vector<HRESULT> Fire(DISPID dispatch_id) {
        // A copy: a sink may unadvise while it is called.
        const std::map<DWORD, com::ComPtr<IDispatch>> sinks = sinks_;
        std::vector<HRESULT> answers;
        for (const auto& [cookie, sink] : sinks) {
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            answers.push_back(sink->Invoke(dispatch_id, IID_NULL, LOCALE_USER_DEFAULT,
                                           DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
        }
        return answers;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) noexcept override {
        if (const HRESULT hr = Refused("IConnectionPoint::GetConnectionInterface", iid);
            FAILED(hr)) {
            return hr;
        }
        return com::SetOut(iid, DIID_IDvRangesEvents);
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** out) noexcept override {
        if (const HRESULT hr = com::RequirePointers(out); FAILED(hr)) {
            return hr;
        }
        if (const HRESULT hr = Refused("IConnectionPoint::GetConnectionPointContainer", out);
            FAILED(hr)) {
            return hr;
        }
        *out = container_;
        if (container_ != nullptr) {
            container_->AddRef();
        }
        return container_ != nullptr ? S_OK : HostFailure(E_UNEXPECTED);
    }
    // As a real source does, the sink is asked for the event interface itself.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) noexcept override {
        if (const HRESULT hr = com::RequirePointers(sink, cookie); FAILED(hr)) {
            return hr;
        }
        if (const HRESULT hr = Refused("IConnectionPoint::Advise", cookie); FAILED(hr)) {
            return hr;
        }
        com::ComPtr<IDispatch> events;
        if (FAILED(sink->QueryInterface(DIID_IDvRangesEvents, events.OutVoid()))) {
            return HostFailure(CONNECT_E_CANNOTCONNECT);
        }
        *cookie = next_cookie_++;
        sinks_[*cookie] = events;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override {
        if (const HRESULT hr = Refused("IConnectionPoint::Unadvise"); FAILED(hr)) {
            return hr;
        }
        return sinks_.erase(cookie) == 1 ? S_OK : HostFailure(CONNECT_E_NOCONNECTION);
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) noexcept override {
        if (const HRESULT hr = Refused("IConnectionPoint::EnumConnections", out); FAILED(hr)) {
            return hr;
        }
        return HostFailure(com::NotImplemented(out));
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

std::string TestRangeItem::Entry(const char* method) const {
    return std::string("IDvRangeItem::") + method + " " + Narrow(id_);
}

HRESULT TestRangeItem::Item(LONG index, IDvRangeItem** item) noexcept {
    if (const HRESULT hr = com::RequirePointers(item); FAILED(hr)) {
        return hr;
    }
    if (const HRESULT hr = Refused(Entry("Item"), item); FAILED(hr)) {
        return hr;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= children_.size()) {
        return HostFailure(com::AnswerEmpty(DISP_E_BADINDEX, item));
    }
    *item = com::ComPtr<TestRangeItem>(children_[static_cast<std::size_t>(index)]).Detach();
    return S_OK;
}

HRESULT TestRangeItem::Count(LONG* count) noexcept {
    if (const HRESULT hr = Refused(Entry("Count"), count); FAILED(hr)) {
        return hr;
    }
    return com::SetOut(count, static_cast<LONG>(children_.size()));
}

HRESULT TestRangeItem::Name(BSTR* name) noexcept {
    if (const HRESULT hr = Refused(Entry("Name"), name); FAILED(hr)) {
        return hr;
    }
    return PutText(name_, name);
}

HRESULT TestRangeItem::IsLeaf(VARIANT_BOOL* leaf) noexcept {
    if (const HRESULT hr = Refused(Entry("IsLeaf"), leaf); FAILED(hr)) {
        return hr;
    }
    return com::SetOut(leaf, children_.empty() ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT TestRangeItem::Code(BSTR* code) noexcept {
    if (const HRESULT hr = Refused(Entry("Code"), code); FAILED(hr)) {
        return hr;
    }
    return PutText(code_, code);
}

HRESULT TestRangeItem::IsValid(VARIANT_BOOL* valid) noexcept {
    if (const HRESULT hr = Refused(Entry("IsValid"), valid); FAILED(hr)) {
        return hr;
    }
    return com::SetOut(valid, valid_ ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT TestRangeItem::ID(BSTR* id) noexcept {
    if (const HRESULT hr = Refused(Entry("ID"), id); FAILED(hr)) {
        return hr;
    }
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
    const std::vector<HRESULT> answers = point_->Fire(dispatch_id);
    return static_cast<int>(
        std::count_if(answers.begin(), answers.end(), [](HRESULT hr) { return SUCCEEDED(hr); }));
}

std::vector<HRESULT> TestRanges::FireAnswers(DISPID dispatch_id) {
    return point_->Fire(dispatch_id);
}

std::size_t TestRanges::SinkCount() const {
    return point_->Count();
}

HRESULT TestRanges::Root(IDvRangeItem** root) noexcept {
    if (const HRESULT hr = Refused("IDvRanges::Root", root); FAILED(hr)) {
        return hr;
    }
    return com::SetOut(root, root_);
}

HRESULT TestRanges::FindRange(BSTR id, IDvRangeItem** item) noexcept {
    if (const HRESULT hr = com::RequirePointers(item); FAILED(hr)) {
        return hr;
    }
    if (const HRESULT hr = Refused("IDvRanges::FindRange " + Narrow(Text(id)), item); FAILED(hr)) {
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
    if (const HRESULT hr = Refused("IDvRanges::EnumConnectionPoints", points); FAILED(hr)) {
        return hr;
    }
    return HostFailure(com::NotImplemented(points));
}

HRESULT TestRanges::FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept {
    if (const HRESULT hr = com::RequirePointers(point); FAILED(hr)) {
        return hr;
    }
    if (const HRESULT hr = Refused("IDvRanges::FindConnectionPoint", point); FAILED(hr)) {
        return hr;
    }
    if (iid != DIID_IDvRangesEvents) {
        return HostFailure(com::AnswerEmpty(CONNECT_E_NOCONNECTION, point));
    }
    *point = com::ComPtr<RangesEventsPoint>(point_).Detach();
    return S_OK;
}

TestController::TestController(com::ComPtr<TestRanges> ranges, std::shared_ptr<TableStore> store,
                               HWND main_window)
    : ranges_(std::move(ranges)), store_(std::move(store)), main_window_(main_window) {}

HRESULT TestController::MainHandle(LONG* handle) noexcept {
    if (const HRESULT hr = Refused("IDvController::MainHandle", handle); FAILED(hr)) {
        return hr;
    }
    return com::SetOut(handle, static_cast<LONG>(reinterpret_cast<LONG_PTR>(main_window_)));
}

HRESULT TestController::OpenModule(BSTR prog_id, BSTR parameter, LONG, LONG) noexcept {
    if (const HRESULT hr = Refused("IDvController::OpenModule " + Narrow(Text(prog_id)));
        FAILED(hr)) {
        return hr;
    }
    opened_modules_.push_back(Text(prog_id) + L"|" + Text(parameter));
    return S_OK;
}

HRESULT TestController::QueryService(GUID iid, IUnknown** service, LONG* status) noexcept {
    if (const HRESULT hr = com::RequirePointers(service, status); FAILED(hr)) {
        return hr;
    }
    if (const HRESULT hr = Refused("IDvController::QueryService", service, status); FAILED(hr)) {
        return hr;
    }
    *status = 0;
    *service = nullptr;
    if (iid != IID_IDvRanges) {
        return HostFailure(E_NOINTERFACE);
    }
    *service = static_cast<IDvRanges*>(com::ComPtr<TestRanges>(ranges_).Detach());
    return S_OK;
}

HRESULT TestController::HandleKey(LONG key) noexcept {
    if (const HRESULT hr = Refused("IDvController::HandleKey " + std::to_string(key)); FAILED(hr)) {
        return hr;
    }
    handled_keys_.push_back(key);
    return S_OK;
}

HRESULT TestController::OpenSQL(BSTR sql, IDispatch** recordset) noexcept {
    if (const HRESULT hr = com::RequirePointers(recordset); FAILED(hr)) {
        return hr;
    }
    const std::string statement = Narrow(Text(sql));
    if (const HRESULT hr = Refused("IDvController::OpenSQL " + statement, recordset); FAILED(hr)) {
        return hr;
    }
    try {
        *recordset = store_->Open(Text(sql)).Detach();
        return S_OK;
    } catch (const std::exception& error) {
        *recordset = nullptr;
        return HostFailure(E_FAIL, error.what());
    }
}

HRESULT TestController::ExecSQL(BSTR sql, LONG* affected) noexcept {
    if (const HRESULT hr = com::RequirePointers(affected); FAILED(hr)) {
        return hr;
    }
    if (const HRESULT hr = Refused("IDvController::ExecSQL " + Narrow(Text(sql)), affected);
        FAILED(hr)) {
        return hr;
    }
    try {
        *affected = store_->Execute(Text(sql));
        return S_OK;
    } catch (const std::exception& error) {
        return HostFailure(E_FAIL, error.what());
    }
}

HRESULT TestController::GetParam(BSTR name, BSTR* value) noexcept {
    if (const HRESULT hr = Refused("IDvController::GetParam " + Narrow(Text(name)), value);
        FAILED(hr)) {
        return hr;
    }
    const auto failing = failing_params_.find(Text(name));
    if (failing != failing_params_.end()) {
        // Without a description: the caller says what failed in its own words.
        return HostFailure(com::AnswerEmpty(failing->second, value));
    }
    const auto found = params_.find(Text(name));
    return PutText(found == params_.end() ? std::wstring() : found->second, value);
}

}  // namespace kvt::wintest
