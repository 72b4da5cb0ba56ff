// Two user-interface threads of the host, each a single-threaded apartment with its own
// window and message loop, run the control's lifecycle at the same time; one thread ends
// while the other's control goes on.
#include "http_recorder_win.h"  // winsock2.h before windows.h

#include <ole2.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "apartments_win.h"
#include "browser/browser_site_win.h"
#include "com/com_ptr_win.h"
#include "com/handle_win.h"
#include "dravon.h"
#include "test_host_win.h"
#include "window_probes_win.h"

namespace kvt::wintest {

namespace {

using com::ComPtr;
using UniqueEvent = com::UniqueHandle<HANDLE, CloseHandle>;
using UniqueModule = com::UniqueHandle<HMODULE, FreeLibrary>;

constexpr UINT kRunStep = WM_APP + 1;
// Only a guard against a hang: a step still running then counts as failed.
constexpr DWORD kStepLimit = 120000;
constexpr DWORD kRequestWait = 15000;

// One user-interface thread of the host: its own apartment, top-level window and message
// loop. Steps run on it one at a time, between its messages.
class HostThread {
  public:
    HostThread()
        : ready_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          done_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
        thread_ = std::thread([this] { Body(); });
        WaitForSingleObject(ready_.Get(), INFINITE);
    }
    HostThread(const HostThread&) = delete;
    HostThread& operator=(const HostThread&) = delete;
    ~HostThread() { End(); }

    DWORD Id() const { return id_; }
    HWND Window() const { return window_; }

    void Post(std::function<void()> step) {
        step_ = std::move(step);
        PostThreadMessageW(id_, kRunStep, 0, 0);
    }
    // Waits for the posted step, processing this thread's messages meanwhile.
    bool Wait() {
        const ULONGLONG end = GetTickCount64() + kStepLimit;
        const HANDLE done = done_.Get();
        while (GetTickCount64() < end) {
            if (MsgWaitForMultipleObjects(1, &done, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) {
                return true;
            }
            DispatchQueuedMessages();
        }
        return false;
    }
    bool Run(std::function<void()> step) {
        Post(std::move(step));
        return Wait();
    }
    // The loop ends; the thread destroys its window, leaves its apartment and exits.
    void End() {
        if (thread_.joinable()) {
            PostThreadMessageW(id_, WM_QUIT, 0, 0);
            thread_.join();
        }
    }

  private:
    void Body() {
        id_ = GetCurrentThreadId();
        const HRESULT apartment = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // makes the message queue
        com::UniqueHwnd window = MainWindow();
        window_ = window.Get();
        SetEvent(ready_.Get());
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && message.message == kRunStep) {
                std::exchange(step_, nullptr)();
                SetEvent(done_.Get());
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        window.Reset();
        if (SUCCEEDED(apartment)) {
            CoUninitialize();
        }
    }

    UniqueEvent ready_;
    UniqueEvent done_;
    std::function<void()> step_;
    DWORD id_ = 0;
    HWND window_ = nullptr;
    std::thread thread_;
};

// One control as its thread's host drives it; touched only on that thread.
struct Panel {
    ComPtr<IUnknown> control;
    ComPtr<browser::BrowserSite> site;
    Host host;
    HWND form = nullptr;
    bool ok = false;
};

void Create(Panel& panel) {
    HRESULT created = E_FAIL;
    panel.control = CreateControl(&created);
    panel.ok = created == S_OK;
}

bool Activate(Panel& panel, HWND container, RECT area) {
    const auto object = panel.control.As<IOleObject>();
    return object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                          static_cast<IOleClientSite*>(panel.site.Get()), 0, container,
                          &area) == S_OK;
}

// In place in the thread's window, started and shown: the content request goes out.
void Start(Panel& panel, HWND container, unsigned short port, const wchar_t* validation) {
    if (!panel.ok) {
        return;
    }
    panel.site = com::MakeComObject<browser::BrowserSite>(container);
    panel.control.As<IOleObject>()->SetClientSite(static_cast<IOleClientSite*>(panel.site.Get()));
    panel.ok = Activate(panel, container, {10, 10, 610, 340});
    panel.control.As<IOleInPlaceObject>()->GetWindow(&panel.form);
    panel.host = MakeHost(container, port, validation);
    const auto plugin = Plugin(panel.control);
    panel.ok =
        panel.ok &&
        plugin->InitPlugin(static_cast<IDvController*>(panel.host.controller.Get()), 0) == S_OK &&
        plugin->ShowPlugin() == S_OK;
}

BOOL CALLBACK CollectOwnWindow(HWND window, LPARAM list) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

// Every window of this process: top-level and message-only windows and their descendants.
std::vector<HWND> ProcessWindows() {
    std::vector<HWND> windows;
    const WNDENUMPROC collect = CollectOwnWindow;
    std::vector<HWND> roots;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&roots));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
        collect(window, reinterpret_cast<LPARAM>(&roots));
    }
    for (HWND root : roots) {
        windows.push_back(root);
        EnumChildWindows(root, collect, reinterpret_cast<LPARAM>(&windows));
    }
    return windows;
}

// The windows of the DLL that still exist on the calling thread.
int DllWindowsOfThisThread(HMODULE dll) {
    int count = 0;
    for (HWND window : ProcessWindows()) {
        if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() &&
            reinterpret_cast<HMODULE>(GetClassLongPtrW(window, GCLP_HMODULE)) == dll) {
            ++count;
        }
    }
    return count;
}

// Closed, out of place, released; then whether the thread still has windows of the DLL.
bool Finish(Panel& panel, HMODULE dll) {
    bool closed = Plugin(panel.control)->ClosePlugin() == S_OK;
    panel.control.As<IOleInPlaceObject>()->InPlaceDeactivate();
    closed = panel.control.As<IOleObject>()->Close(OLECLOSE_NOSAVE) == S_OK && closed;
    panel.control.As<IOleObject>()->SetClientSite(nullptr);
    panel = Panel{};
    return closed && DllWindowsOfThisThread(dll) == 0;
}

std::string Describe(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return WideToUtf8(std::u16string(reinterpret_cast<const char16_t*>(name))) + "@" +
           std::to_string(thread);
}

// Pairs of a window and its parent or owner that belong to different threads of this
// process, as "class@thread -> class@thread"; the desktop and the message-only root count
// as no parent.
std::string WindowsAcrossThreads() {
    std::string found;
    for (HWND window : ProcessWindows()) {
        const DWORD thread = GetWindowThreadProcessId(window, nullptr);
        HWND parent = GetAncestor(window, GA_PARENT);
        if (parent != nullptr && GetAncestor(parent, GA_PARENT) == nullptr) {
            parent = nullptr;
        }
        for (HWND other : {parent, GetWindow(window, GW_OWNER)}) {
            DWORD process = 0;
            if (other == nullptr || GetWindowThreadProcessId(other, &process) == thread ||
                process != GetCurrentProcessId()) {
                continue;
            }
            found += " " + Describe(window) + " -> " + Describe(other);
        }
    }
    return found;
}

// The form is a visible child of `container` with a client area of that size, and so is the
// browser window inside it.
bool FormAndBrowserAre(HWND form, HWND container, int width, int height) {
    RECT client{};
    const HWND browser = FindWindowExW(form, nullptr, L"Shell Embedding", nullptr);
    RECT inner{};
    return IsWindow(form) && GetParent(form) == container && IsWindowVisible(form) &&
           GetClientRect(form, &client) && client.right == width && client.bottom == height &&
           browser != nullptr && GetClientRect(browser, &inner) && inner.right == width &&
           inner.bottom == height;
}

}  // namespace

void CheckApartments(Checks& checks, HttpRecorder& server) {
    checks.Section("apartments");
    HostThread first;
    HostThread second;
    Panel one;
    Panel two;
    const std::size_t seen = server.Count();
    // Created one after the other, so that the first thread's windows are the older ones;
    // from there both run at the same time.
    const bool created = first.Run([&] { Create(one); }) && second.Run([&] { Create(two); });
    // Kept loaded for the whole section: the last apartment to leave lets COM unload it.
    HMODULE dll = nullptr;
    if (one.control) {
        GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
            reinterpret_cast<LPCWSTR>((*reinterpret_cast<void***>(one.control.Get()))[0]), &dll);
    }
    const UniqueModule pinned(dll);
    first.Post([&] { Start(one, first.Window(), server.Port(), L"v=first"); });
    second.Post([&] { Start(two, second.Window(), server.Port(), L"v=second"); });
    const bool started = first.Wait() && second.Wait();
    if (!checks.That(created && started && one.ok && two.ok,
                     "two threads each create a control, put it in place, start and show it")) {
        first.Run([&] { one = Panel{}; });  // released in their own apartments
        second.Run([&] { two = Panel{}; });
        return;
    }
    server.WaitBeyond(seen + 1, kRequestWait);
    std::string targets;
    for (std::size_t index = seen; index < server.Count(); ++index) {
        targets += server.At(index).target + ";";
    }
    checks.That(targets.find("?v=first;") != std::string::npos &&
                    targets.find("?v=second;") != std::string::npos,
                "each control posts its own content request: " + targets);
    checks.Equal(CanUnloadNow(dll), S_FALSE, "DllCanUnloadNow while both controls live");
    checks.Equal(WindowsAcrossThreads(), std::string(),
                 "in place: no window has a parent or owner on another thread");

    first.Post([&] { one.control.As<IOleInPlaceObject>()->InPlaceDeactivate(); });
    second.Post([&] { two.control.As<IOleInPlaceObject>()->InPlaceDeactivate(); });
    const bool deactivated = first.Wait() && second.Wait();
    checks.That(deactivated, "both threads take their controls out of place");
    checks.Equal(WindowsAcrossThreads(), std::string(),
                 "out of place: no window has a parent or owner on another thread");

    bool finished = false;
    first.Run([&] { finished = Finish(one, dll); });
    first.End();
    checks.That(finished,
                "one thread closes and releases its control, which takes the thread's windows "
                "of the DLL along; the thread ends");
    checks.Equal(CanUnloadNow(dll), S_FALSE, "DllCanUnloadNow while the other control lives");

    bool works = false;
    second.Run([&] {
        const auto plugin = Plugin(two.control);
        works = Activate(two, second.Window(), {0, 0, 400, 300}) && plugin->HidePlugin() == S_OK &&
                plugin->ShowPlugin() == S_OK &&
                FormAndBrowserAre(two.form, second.Window(), 400, 300);
        const RECT smaller{5, 5, 305, 205};
        two.control.As<IOleInPlaceObject>()->SetObjectRects(&smaller, &smaller);
        works = works && FormAndBrowserAre(two.form, second.Window(), 300, 200);
    });
    checks.That(works,
                "the other thread's control goes on: in place again, hidden and shown, resized "
                "with its browser");
    checks.Equal(WindowsAcrossThreads(), std::string(),
                 "after the thread ended: no window has a parent or owner on another thread");

    second.Run([&] { finished = Finish(two, dll); });
    second.End();
    checks.That(finished, "the other thread closes and releases its control");
    checks.Equal(CanUnloadNow(dll), S_OK, "DllCanUnloadNow once both controls are gone");
}

}  // namespace kvt::wintest
