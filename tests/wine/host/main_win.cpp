// The Windows test host: creates the registered control by its ProgID, embeds it in place
// as a container does, plays the host terminal for it (sector tree, database, range-change
// events, a local HTTP server as content server) and drives it through IDvPlugin.
// Prints one line per check; the exit code is the number of failed checks.
#include <winsock2.h>

#include <windows.h>

#include <objsafe.h>
#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

#include "apartments_win.h"
#include "browser/browser_site_win.h"
#include "checks_win.h"
#include "com/bstr_win.h"
#include "com/com_ptr_win.h"
#include "com/handle_win.h"
#include "dravon.h"
#include "host_objects_win.h"
#include "http_recorder_win.h"
#include "kvnewtavrixproj.h"
#include "table_store_win.h"
#include "test_host_win.h"
#include "window_probes_win.h"

// MinGW's objsafe.h declares the interface without its identifier for __uuidof.
__CRT_UUID_DECL(IObjectSafety, 0xcb5bdc81, 0x93c1, 0x11cf, 0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0,
                0x64)

namespace kvt::wintest {

namespace {

using com::ComPtr;

// A GUID no server serves.
constexpr GUID kUnknownClass = {0x0badc0de, 0x1234, 0x4321, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr DWORD kRequestWait = 15000;
constexpr DWORD kQuietWait = 700;

void CheckServerExports(Checks& checks, const ComPtr<IUnknown>& control, HMODULE dll) {
    checks.Section("server exports");
    checks.Equal(CanUnloadNow(dll), S_FALSE, "DllCanUnloadNow while a control lives");
    void* out = reinterpret_cast<void*>(&checks);
    checks.Equal(ClassObject(dll, kUnknownClass, IID_IClassFactory, &out),
                 CLASS_E_CLASSNOTAVAILABLE, "DllGetClassObject for another class");
    checks.That(out == nullptr, "the out argument is cleared for another class");
    ComPtr<IClassFactory> factory;
    checks.Equal(ClassObject(dll, CLSID_KvNewTavrix, IID_IClassFactory, factory.OutVoid()), S_OK,
                 "DllGetClassObject hands out the class factory");
    ComPtr<IUnknown> aggregated;
    checks.Equal(factory->CreateInstance(control.Get(), IID_IUnknown, aggregated.OutVoid()),
                 CLASS_E_NOAGGREGATION, "the control cannot be aggregated");
    ComPtr<IUnknown> not_a_factory;
    checks.Equal(ClassObject(dll, CLSID_KvNewTavrix, IID_IDispatch, not_a_factory.OutVoid()),
                 E_NOINTERFACE, "the factory answers only IClassFactory");
}

void CheckControlInterfaces(Checks& checks, const ComPtr<IUnknown>& control) {
    checks.Section("control interfaces");
    const auto object = control.As<IOleObject>();
    DWORD status = 0;
    checks.That(
        object && SUCCEEDED(object->GetMiscStatus(DVASPECT_CONTENT, &status)) && status == 205201,
        "IOleObject misc status 205201");
    ComPtr<ITypeInfo> info;
    TYPEATTR* attributes = nullptr;
    const auto class_info = control.As<IProvideClassInfo>();
    bool class_matches = false;
    if (class_info && SUCCEEDED(class_info->GetClassInfo(info.Out())) &&
        SUCCEEDED(info->GetTypeAttr(&attributes))) {
        class_matches =
            attributes->guid == CLSID_KvNewTavrix && attributes->typekind == TKIND_COCLASS;
        info->ReleaseTypeAttr(attributes);
    }
    checks.That(class_matches, "IProvideClassInfo describes the class KvNewTavrix");
    const auto errors = control.As<ISupportErrorInfo>();
    checks.That(errors && errors->InterfaceSupportsErrorInfo(IID_IDvPlugin) == S_OK,
                "IDvPlugin reports error information");

    const auto safety = control.As<IObjectSafety>();
    DWORD supported = 9;
    DWORD enabled = 9;
    checks.That(
        safety && safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled) == S_OK &&
            supported == 3 && enabled == 0,
        "object safety: both options supported, none enabled at first");
    safety->SetInterfaceSafetyOptions(
        IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA,
        INTERFACESAFE_FOR_UNTRUSTED_CALLER);
    safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
    checks.Equal(enabled, 1ul, "object safety keeps the mask combined with the options set");
    checks.That(
        safety->GetInterfaceSafetyOptions(kUnknownClass, &supported, &enabled) == E_NOINTERFACE &&
            supported == 0 && enabled == 0,
        "object safety for an interface the control does not answer");
    checks.Equal(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER,
                 "object safety without an out pointer");

    const auto persist = control.As<IPersistStreamInit>();
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Out());
    checks.That(persist && persist->InitNew() == S_OK &&
                    persist->Save(stream.Get(), TRUE) == S_OK &&
                    persist->Load(stream.Get()) == S_OK,
                "IPersistStreamInit saves and loads the empty property set");
    const auto bag = control.As<IPersistPropertyBag>();
    checks.That(bag && bag->InitNew() == S_OK, "IPersistPropertyBag answers");
    checks.That(control.As<IQuickActivate>() && control.As<IPersistStorage>() &&
                    control.As<IViewObject2>() && control.As<IOleControl>() &&
                    control.As<IConnectionPointContainer>() && control.As<IKvNewTavrix>(),
                "the standard control interfaces answer");

    QACONTAINER container{};
    container.cbSize = sizeof(container);
    QACONTROL answer{};
    answer.cbSize = sizeof(answer);
    checks.That(control.As<IQuickActivate>()->QuickActivate(&container, &answer) == S_OK &&
                    answer.dwMiscStatus == 205201,
                "IQuickActivate answers the misc status");
    ComPtr<IConnectionPoint> point;
    checks.Equal(
        control.As<IConnectionPointContainer>()->FindConnectionPoint(IID_IDispatch, point.Out()),
        CONNECT_E_NOCONNECTION, "the control has no event interface");
}

// Refuses, on this thread, the creation of windows of one class: a computer-based-training
// hook that answers HCBT_CREATEWND with nonzero makes CreateWindowEx fail, as it does when
// the system is out of window resources.
// Code that throws inside a COM method ends at the barrier: the method answers an error
// with its description, and the host and the control go on.
void CheckBarrier(Checks& checks, HWND container) {
    checks.Section("the barrier at the COM boundary");
    const ComPtr<IUnknown> control = CreateControl();
    auto site = com::MakeComObject<browser::BrowserSite>(container);
    const auto object = control.As<IOleObject>();
    object->SetClientSite(static_cast<IOleClientSite*>(site.Get()));
    RECT area{0, 0, 300, 200};
    checks.Equal(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                static_cast<IOleClientSite*>(site.Get()), 0, container, &area),
                 S_OK, "DoVerb(OLEIVERB_INPLACEACTIVATE)");
    {
        // Deactivation parks the control's window in a hidden window of the DLL's, made
        // again when it has gone; here it cannot be made.
        const RefusedWindowClass refused(L"KvNewTavrixParking");
        DestroyWindow(FindWindowW(L"KvNewTavrixParking", nullptr));
        checks.Equal(control.As<IOleInPlaceObject>()->InPlaceDeactivate(), E_UNEXPECTED,
                     "InPlaceDeactivate answers the failure of code that throws");
        checks.That(ThreadError().description.rfind(
                        "The control's parking window could not be created", 0) == 0,
                    "its error description says what failed");
    }
    checks.Equal(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                static_cast<IOleClientSite*>(site.Get()), 0, container, &area),
                 S_OK, "the control activates again afterwards");
    checks.Equal(object->Close(OLECLOSE_NOSAVE), S_OK, "and closes");
    object->SetClientSite(nullptr);
}

ComPtr<browser::BrowserSite> EmbedInPlace(Checks& checks, const ComPtr<IUnknown>& control,
                                          HWND container) {
    checks.Section("in-place activation");
    auto site = com::MakeComObject<browser::BrowserSite>(container);
    const auto object = control.As<IOleObject>();
    object->SetClientSite(static_cast<IOleClientSite*>(site.Get()));
    RECT area{10, 10, 610, 340};
    checks.Equal(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                static_cast<IOleClientSite*>(site.Get()), 0, container, &area),
                 S_OK, "DoVerb(OLEIVERB_INPLACEACTIVATE)");
    HWND window = nullptr;
    control.As<IOleInPlaceObject>()->GetWindow(&window);
    checks.That(window != nullptr && GetParent(window) == container && IsWindowVisible(window),
                "the control's window is a visible child of the container's window");
    RECT placed{};
    GetWindowRect(window, &placed);
    checks.Equal(placed.right - placed.left, 600L, "the control takes the width it was given");

    const com::WindowDc screen(nullptr);
    const com::UniqueHdc memory(CreateCompatibleDC(screen.Get()));
    const RECTL bounds{0, 0, 50, 30};
    checks.Equal(control.As<IViewObject2>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                                                  memory.Get(), &bounds, nullptr, nullptr, 0),
                 S_OK, "IViewObject draws the control");
    return site;
}

void CheckFailures(Checks& checks, HWND main_window, unsigned short port) {
    checks.Section("errors at the COM boundary");
    {
        const ComPtr<IDvPlugin> plugin = Plugin(CreateControl());
        const auto not_a_host = SectorTree();  // answers no IDvController
        checks.Equal(plugin->InitPlugin(static_cast<IDvRanges*>(not_a_host.Get()), 0), E_UNEXPECTED,
                     "InitPlugin with an object without IDvController");
        const ErrorText error = ThreadError();
        checks.Equal(error.description, "Interface not supported", "its error description");
        checks.Equal(error.source, "KvNewTavrixProj.KvNewTavrix", "its error source");
    }
    {
        const ComPtr<IDvPlugin> plugin = Plugin(CreateControl());
        Host host = MakeHost(main_window, port, L"v=check");
        host.controller->FailParam(L"ServerIP", E_ACCESSDENIED);
        checks.Equal(plugin->InitPlugin(static_cast<IDvController*>(host.controller.Get()), 0),
                     E_ACCESSDENIED, "InitPlugin answers the HRESULT of a failed host call");
        checks.That(ThreadError().description.find("GetParam") != std::string::npos,
                    "its description names the failed call");
    }
}

HWND ProgressWindowIn(HWND control_window) {
    return FindWindowExW(control_window, nullptr, L"KvNewTavrixLoadProgress", nullptr);
}

// The progress window shows while the page loads: a child of the control's window shaped
// by its picture, whose white corners lie outside it.
void CheckProgressWindow(Checks& checks, HWND control_window) {
    HWND progress = ProgressWindowIn(control_window);
    checks.That(progress != nullptr && IsWindowVisible(progress),
                "the load-progress window shows inside the control");
    const com::UniqueHrgn region(CreateRectRgn(0, 0, 0, 0));
    checks.That(progress != nullptr && GetWindowRgn(progress, region.Get()) == COMPLEXREGION &&
                    !PtInRegion(region.Get(), 0, 0) && PtInRegion(region.Get(), 107, 60),
                "it is shaped by its picture, corners cut off");
    RECT frame{};
    GetWindowRect(progress, &frame);
    checks.Equal(frame.right - frame.left, 224L, "it is 224 pixels wide");
}

void CheckContentRequests(Checks& checks, const ComPtr<IUnknown>& control, HWND main_window,
                          HttpRecorder& server) {
    const ComPtr<IDvPlugin> plugin = Plugin(control);
    HWND control_window = nullptr;
    control.As<IOleInPlaceObject>()->GetWindow(&control_window);
    checks.Section("plug-in lifecycle and content requests");
    Host host = MakeHost(main_window, server.Port(), L"v=check");
    const std::size_t before = server.Count();
    checks.Equal(plugin->InitPlugin(static_cast<IDvController*>(host.controller.Get()), 12345),
                 S_OK, "InitPlugin");
    checks.Equal(host.ranges->SinkCount(), std::size_t{1},
                 "the range-change sink is advised on the connection point");
    checks.That(!server.WaitBeyond(before, kQuietWait), "InitPlugin requests no content");

    checks.Equal(plugin->ShowPlugin(), S_OK, "ShowPlugin");
    if (checks.That(server.WaitBeyond(before, kRequestWait), "the first ShowPlugin posts")) {
        const HttpRequest request = server.At(before);
        checks.Equal(request.method, "POST", "the request is a POST");
        checks.Equal(request.target, "/tavrix2009/kplm.aspx?v=check", "to the content URL");
        checks.Equal(request.Header("Content-Type").value_or(""),
                     "application/x-www-form-urlencoded", "with the form content type");
        checks.Equal(request.body,
                     "SelID=1&Range=0X1A2B&SectorList=Big+Bank%3B101%2CSteel%3B102%2C",
                     "with the stored position, the sector's code and the whole list");
    }
    CheckProgressWindow(checks, control_window);

    checks.Section("range-change events");
    host.ranges->Tree().Add(com::MakeComObject<TestRangeItem>(L"103", L"Coal", L"3C"));
    std::size_t seen = server.Count();
    checks.Equal(host.ranges->Fire(201), 1, "the host fires 201 to one sink");
    if (checks.That(server.WaitBeyond(seen, kRequestWait), "a range change re-posts")) {
        checks.Equal(server.At(seen).body,
                     "SelID=1&Range=0X1A2B&SectorList=Big+Bank%3B101%2CSteel%3B102%2CCoal%3B103%2C",
                     "with the rebuilt list");
    }
    seen = server.Count();
    host.ranges->Fire(200);
    checks.That(!server.WaitBeyond(seen, kQuietWait), "dispatch id 200 requests nothing");
    checks.Equal(plugin->HidePlugin(), S_OK, "HidePlugin");
    host.ranges->Fire(201);
    checks.That(!server.WaitBeyond(seen, kQuietWait), "a range change while hidden posts nothing");
    plugin->ShowPlugin();
    checks.That(server.WaitBeyond(seen, kRequestWait), "the next ShowPlugin posts the change");

    checks.Section("other plug-in operations");
    com::Bstr reply;
    const com::Bstr back(u"GOTOBACK");
    checks.Equal(plugin->ExecCommand(back.Get(), reply.Out()), S_OK,
                 "ExecCommand(GOTOBACK) without history");
    checks.Equal(WideToUtf8(reply.Text()), "", "answers the empty reply");
    LONG count = 7;
    checks.That(plugin->QueryCount(&count) == S_OK && count == 0, "operation 9 answers 0");
    VARIANT_BOOL flag = VARIANT_TRUE;
    checks.That(plugin->QueryStockFlag(1, StockInfoRec{}, &flag) == S_OK && flag == VARIANT_FALSE,
                "operation 8 answers false");
    IUnknown* first = reinterpret_cast<IUnknown*>(&count);
    checks.That(plugin->QueryObjects(&first, nullptr) == S_OK && first == nullptr,
                "operation 15 answers none and skips a null pointer");

    checks.Section("shutdown");
    checks.Equal(plugin->ClosePlugin(), S_OK, "ClosePlugin");
    checks.Equal(host.ranges->SinkCount(), std::size_t{0}, "the sink is unadvised");
    checks.That(ProgressWindowIn(control_window) == nullptr, "the progress window is destroyed");
    const Table* settings = host.store->Find(L"GeneralConfig");
    std::string saved;
    for (const auto& row : settings != nullptr ? settings->rows : Table{}.rows) {
        saved += WideToUtf8(row[0]) + "=" + WideToUtf8(row[1]) + ";";
    }
    checks.That(saved.starts_with("KvTavrix2009={") &&
                    saved.find("\"LastSeleID\":\"1\"") != std::string::npos &&
                    saved.find(';') == saved.size() - 1,
                "the settings record is saved once in the host's database: " + saved);
    seen = server.Count();
    checks.Equal(plugin->ShowPlugin(), S_OK, "ShowPlugin after ClosePlugin does no harm");
    checks.That(!server.WaitBeyond(seen, kQuietWait), "and requests nothing");
}

// The content URL carries the host's validation text as it is, so a command or a range
// reference in it reaches the control's before-navigate handling through the engine.
void CheckNavigationHandling(Checks& checks, HWND main_window, HttpRecorder& server) {
    checks.Section("navigation handling");
    {
        const ComPtr<IDvPlugin> plugin = Plugin(CreateControl());
        Host host = MakeHost(main_window, server.Port(), L"v=1&next=zq://key/13");
        const std::size_t seen = server.Count();
        plugin->InitPlugin(static_cast<IDvController*>(host.controller.Get()), 0);
        plugin->ShowPlugin();
        PumpMessages(kQuietWait);
        checks.That(
            host.controller->HandledKeys().size() == 1 && host.controller->HandledKeys()[0] == 13,
            "a navigation carrying zq://key/13 reaches HandleKey(13)");
        checks.That(!server.WaitBeyond(seen, kQuietWait), "and is cancelled");
        plugin->ClosePlugin();
    }
    {
        const ComPtr<IDvPlugin> plugin = Plugin(CreateControl());
        Host host = MakeHost(main_window, server.Port(), L"r=rid{102}");
        const std::size_t seen = server.Count();
        plugin->InitPlugin(static_cast<IDvController*>(host.controller.Get()), 0);
        plugin->ShowPlugin();
        if (checks.That(server.WaitBeyond(seen, kRequestWait),
                        "a range reference is navigated again")) {
            const HttpRequest request = server.At(seen);
            checks.Equal(request.target, "/tavrix2009/kplm.aspx?r=0X1A2B",
                         "with the sector's code in place of rid{102}");
            checks.Equal(request.method, "GET", "as a plain navigation");
        }
        plugin->ClosePlugin();
    }
}

void CheckUnloading(Checks& checks, HMODULE dll) {
    checks.Section("unloading");
    checks.Equal(CanUnloadNow(dll), S_OK, "DllCanUnloadNow once every control is released");
    ComPtr<IClassFactory> factory;
    ClassObject(dll, CLSID_KvNewTavrix, IID_IClassFactory, factory.OutVoid());
    checks.Equal(CanUnloadNow(dll), S_FALSE, "a factory reference keeps the DLL");
    factory->LockServer(TRUE);
    factory.Reset();
    checks.Equal(CanUnloadNow(dll), S_FALSE, "a server lock keeps the DLL");
    ClassObject(dll, CLSID_KvNewTavrix, IID_IClassFactory, factory.OutVoid());
    factory->LockServer(FALSE);
    factory.Reset();
    checks.Equal(CanUnloadNow(dll), S_OK, "DllCanUnloadNow after the lock is released");
}

int Run() {
    Checks checks;
    com::UniqueHwnd main_window = MainWindow();
    HttpRecorder server;
    // First, so that no thread of the host has made a window of the DLL before: the thread
    // whose control comes first would otherwise hold the DLL's process-wide windows (such as
    // a parking window) in an unmended DLL, and the check that a thread's windows end with it
    // would see them on the main thread instead.
    CheckApartments(checks, server);
    HMODULE dll = nullptr;
    {
        checks.Section("creation by ProgID");
        CLSID class_id{};
        checks.That(CLSIDFromProgID(kProgId, &class_id) == S_OK && class_id == CLSID_KvNewTavrix,
                    "the ProgID names the class");
        HRESULT created = E_FAIL;
        ComPtr<IUnknown> control = CreateControl(&created);
        if (!checks.Equal(created, S_OK, "CoCreateInstance by ProgID")) {
            std::printf("  %s\n", ThreadError().description.c_str());
            return checks.Failures();
        }
        dll = ModuleOf(control.Get());
        CheckServerExports(checks, control, dll);
        CheckControlInterfaces(checks, control);
        const auto site = EmbedInPlace(checks, control, main_window.Get());
        CheckFailures(checks, main_window.Get(), server.Port());
        CheckBarrier(checks, main_window.Get());
        CheckContentRequests(checks, control, main_window.Get(), server);
        CheckNavigationHandling(checks, main_window.Get(), server);

        const auto object = control.As<IOleObject>();
        control.As<IOleInPlaceObject>()->InPlaceDeactivate();
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    PumpMessages(100);
    CheckUnloading(checks, dll);
    main_window.Reset();
    std::printf("%d check(s) failed\n", checks.Failures());
    return checks.Failures();
}

}  // namespace

}  // namespace kvt::wintest

int main() {
    return kvt::wintest::RunWithOle([] { return kvt::wintest::Run() == 0 ? 0 : 1; });
}
