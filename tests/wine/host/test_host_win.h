#pragma once
// The pieces of a host terminal that every Windows test program plays: its main window, its
// sector tree and database, its controller, and the control created by ProgID.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "com/com_ptr_win.h"
#include "com/handle_win.h"
#include "dravon.h"
#include "host_objects_win.h"
#include "table_store_win.h"
#include "window_probes_win.h"

namespace kvt::wintest {

inline constexpr wchar_t kProgId[] = L"KvNewTavrixProj.KvNewTavrix";

// The DLL's DllGetClassObject, called directly (ModuleOf and CanUnloadNow are in
// window_probes_win.h).
HRESULT ClassObject(HMODULE dll, REFCLSID class_id, REFIID iid, void** out);

// The thread's error information, as UTF-8.
struct ErrorText {
    std::string description;
    std::string source;
};
ErrorText ThreadError();

// The host's main window, shown.
com::UniqueHwnd MainWindow();
// The sector tree: root [group [Big Bank 101], Steel 102].
com::ComPtr<TestRanges> SectorTree();
// The host's database: its own table netSYSTEM and the control's stored settings.
std::shared_ptr<TableStore> Database();

struct Host {
    com::ComPtr<TestRanges> ranges;
    std::shared_ptr<TableStore> store;
    com::ComPtr<TestController> controller;
};
// A host whose content server is 127.0.0.1:`port`, with `validation` as HtmlValidate.
Host MakeHost(HWND main_window, unsigned short port, const std::wstring& validation);

// The control created by its ProgID; `result` (optional) gets the HRESULT.
com::ComPtr<IUnknown> CreateControl(HRESULT* result = nullptr);
com::ComPtr<IDvPlugin> Plugin(const com::ComPtr<IUnknown>& control);

// Validates every heap of the process (HeapValidate on each of GetProcessHeaps): the number
// found damaged. Wine's heap checking (warn+heap) keeps a tail pattern after every block,
// which only a validation reads, so this is what sees an overrun of a block still in use.
std::size_t DamagedHeaps();

// A test program's body between OleInitialize and OleUninitialize: its exit code, or 1 when
// OLE does not start.
int RunWithOle(const std::function<int()>& run);

}  // namespace kvt::wintest
