#pragma once
// The test host's side of the plug-in contract: its service object (IDvController), the
// sector tree (IDvRanges, IDvRangeItem) with a real connection point for IDvRangesEvents,
// and its database on the in-memory table store.

#include <windows.h>

#include <ocidl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dravon.h"
#include "fault_switch_win.h"
#include "orvanta.h"
#include "script_object_win.h"
#include "table_store_win.h"

namespace kvt::wintest {

class TestRangeItem final : public EarlyBound<IDvRangeItem, ReportsErrorInfo> {
  public:
    // A sector (leaf) or, with children, a group.
    TestRangeItem(std::wstring id, std::wstring name, std::wstring code, bool valid = true);
    void Add(com::ComPtr<TestRangeItem> child);
    TestRangeItem* Find(const std::wstring& id);

    HRESULT STDMETHODCALLTYPE Item(LONG index, IDvRangeItem** item) noexcept override;
    HRESULT STDMETHODCALLTYPE Count(LONG* count) noexcept override;
    HRESULT STDMETHODCALLTYPE Name(BSTR* name) noexcept override;
    HRESULT STDMETHODCALLTYPE IsLeaf(VARIANT_BOOL* leaf) noexcept override;
    HRESULT STDMETHODCALLTYPE Code(BSTR* code) noexcept override;
    HRESULT STDMETHODCALLTYPE IsValid(VARIANT_BOOL* valid) noexcept override;
    HRESULT STDMETHODCALLTYPE ID(BSTR* id) noexcept override;

  private:
    std::string Entry(const char* method) const;

    std::wstring id_;
    std::wstring name_;
    std::wstring code_;
    bool valid_;
    std::vector<com::ComPtr<TestRangeItem>> children_;
};

class RangesEventsPoint;

class TestRanges final : public EarlyBound<IDvRanges, IConnectionPointContainer, ReportsErrorInfo> {
  public:
    explicit TestRanges(com::ComPtr<TestRangeItem> root);
    ~TestRanges() override;

    TestRangeItem& Tree() { return *root_.Get(); }
    // Calls every advised sink with `dispatch_id` and no arguments; answers how many.
    int Fire(DISPID dispatch_id);
    // The same, answering what each sink's Invoke answered.
    std::vector<HRESULT> FireAnswers(DISPID dispatch_id);
    std::size_t SinkCount() const;

    HRESULT STDMETHODCALLTYPE Root(IDvRangeItem** root) noexcept override;
    HRESULT STDMETHODCALLTYPE FindRange(BSTR id, IDvRangeItem** item) noexcept override;
    HRESULT STDMETHODCALLTYPE
    EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid,
                                                  IConnectionPoint** point) noexcept override;

  private:
    com::ComPtr<TestRangeItem> root_;
    com::ComPtr<RangesEventsPoint> point_;
};

class TestController final : public EarlyBound<IDvController, ReportsErrorInfo> {
  public:
    TestController(com::ComPtr<TestRanges> ranges, std::shared_ptr<TableStore> store,
                   HWND main_window);

    void SetParam(const std::wstring& name, const std::wstring& value) { params_[name] = value; }
    // GetParam of `name` fails with `hr`.
    void FailParam(const std::wstring& name, HRESULT hr) { failing_params_[name] = hr; }
    const std::vector<LONG>& HandledKeys() const { return handled_keys_; }
    const std::vector<std::wstring>& OpenedModules() const { return opened_modules_; }

    HRESULT STDMETHODCALLTYPE MainHandle(LONG* handle) noexcept override;
    HRESULT STDMETHODCALLTYPE OpenModule(BSTR prog_id, BSTR parameter, LONG,
                                         LONG) noexcept override;
    HRESULT STDMETHODCALLTYPE QueryService(GUID iid, IUnknown** service,
                                           LONG* status) noexcept override;
    HRESULT STDMETHODCALLTYPE HandleKey(LONG key) noexcept override;
    HRESULT STDMETHODCALLTYPE OpenSQL(BSTR sql, IDispatch** recordset) noexcept override;
    HRESULT STDMETHODCALLTYPE ExecSQL(BSTR sql, LONG* affected) noexcept override;
    HRESULT STDMETHODCALLTYPE GetParam(BSTR name, BSTR* value) noexcept override;

  private:
    com::ComPtr<TestRanges> ranges_;
    std::shared_ptr<TableStore> store_;
    HWND main_window_;
    std::map<std::wstring, std::wstring> params_;
    std::map<std::wstring, HRESULT> failing_params_;
    std::vector<LONG> handled_keys_;
    std::vector<std::wstring> opened_modules_;
};

}  // namespace kvt::wintest
