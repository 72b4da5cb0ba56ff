// The pieces of a host terminal that every Windows test program plays.
#include "test_host_win.h"

#include <ole2.h>

#include <cstdio>
#include <vector>

#include "com/bstr_win.h"

namespace kvt::wintest {

using com::ComPtr;

namespace {

using DllGetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

}  // namespace

HRESULT ClassObject(HMODULE dll, REFCLSID class_id, REFIID iid, void** out) {
    const auto function = reinterpret_cast<DllGetClassObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    return function != nullptr ? function(class_id, iid, out) : E_NOTIMPL;
}

ErrorText ThreadError() {
    ComPtr<IErrorInfo> info;
    ErrorText text;
    if (GetErrorInfo(0, info.Out()) == S_OK && info) {
        com::Bstr description;
        com::Bstr source;
        info->GetDescription(description.Out());
        info->GetSource(source.Out());
        text.description = WideToUtf8(description.Text());
        text.source = WideToUtf8(source.Text());
    }
    return text;
}

com::UniqueHwnd MainWindow() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"KvNewTavrixTestHost";
    RegisterClassW(&window_class);
    HWND window = CreateWindowExW(0, window_class.lpszClassName, L"test host",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 800, 500, nullptr,
                                  nullptr, window_class.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    return com::UniqueHwnd(window);
}

// The sector tree: root [group [Big Bank 101], Steel 102].
com::ComPtr<TestRanges> SectorTree() {
    auto root = com::MakeComObject<TestRangeItem>(L"0", L"root", L"");
    auto group = com::MakeComObject<TestRangeItem>(L"10", L"Banks", L"");
    group->Add(com::MakeComObject<TestRangeItem>(L"101", L"Big Bank", L"0001"));
    root->Add(group);
    root->Add(com::MakeComObject<TestRangeItem>(L"102", L"Steel", L"1A2B"));
    return com::MakeComObject<TestRanges>(root);
}

// The host's database: its own table netSYSTEM and the control's stored settings.
std::shared_ptr<TableStore> Database() {
    auto store = std::make_shared<TableStore>();
    store->Put(L"netSYSTEM", {{u"IValue"}, {{u"1"}}});
    store->Put(L"GeneralConfig",
               {{u"ConfigID", u"ConfigContent"}, {{u"KvTavrix2009", u"{\"LastSeleID\":\"1\"}"}}});
    return store;
}

Host MakeHost(HWND main_window, unsigned short port, const std::wstring& validation) {
    Host host{SectorTree(), Database(), {}};
    host.controller = com::MakeComObject<TestController>(host.ranges, host.store, main_window);
    host.controller->SetParam(L"ServerIP", L"127.0.0.1:" + std::to_wstring(port));
    host.controller->SetParam(L"HtmlValidate", validation);
    return host;
}

ComPtr<IUnknown> CreateControl(HRESULT* result) {
    CLSID class_id{};
    ComPtr<IUnknown> control;
    HRESULT hr = CLSIDFromProgID(kProgId, &class_id);
    if (SUCCEEDED(hr)) {
        hr = CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              control.OutVoid());
    }
    if (result != nullptr) {
        *result = hr;
    }
    return control;
}

ComPtr<IDvPlugin> Plugin(const ComPtr<IUnknown>& control) {
    return control.As<IDvPlugin>();
}

std::size_t DamagedHeaps() {
    std::vector<HANDLE> heaps(64);
    DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (count > heaps.size()) {
        heaps.resize(count);
        count = GetProcessHeaps(count, heaps.data());
    }
    std::size_t damaged = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        if (!HeapValidate(heaps[i], 0, nullptr)) {
            ++damaged;
        }
    }
    return damaged;
}

int RunWithOle(const std::function<int()>& run) {
    if (FAILED(OleInitialize(nullptr))) {
        std::printf("FAIL: OleInitialize\n");
        return 1;
    }
    const int result = run();
    OleUninitialize();
    return result;
}

}  // namespace kvt::wintest
