// The load-progress window when the window it lives in is destroyed under a load, and at its
// first showing: a new window appears only inside the control that loads, never on the desktop
// nor where nobody sees it, and it first shows centred in its control however the host sized
// and started that control.
#include <exdispid.h>

#include "com/handle_win.h"
#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

constexpr wchar_t kProgressClass[] = L"KvNewTavrixLoadProgress";
constexpr wchar_t kNextUrl[] = L"http://127.0.0.1:8080/next.aspx";
constexpr int kProgressWidth = 224;
constexpr int kProgressHeight = 151;

// Two panels of the host side by side, each holding one control; destroying a panel takes
// the control's window along, as a container that closes a view does.
constexpr RECT kLeftPanel{0, 0, 390, 460};
constexpr RECT kRightPanel{400, 0, 390, 460};  // left, top, width, height
constexpr RECT kPanelArea{5, 5, 385, 455};
constexpr RECT kSizedOnce{20, 20, 520, 320};  // 500 x 300

com::UniqueHwnd Panel(HWND main_window, const RECT& place) {
    return com::UniqueHwnd(CreateWindowExW(
        0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, place.left, place.top,
        place.right, place.bottom, main_window, nullptr, GetModuleHandleW(nullptr), nullptr));
}

// The progress window where the user sees it: the child of `control_window`, visible, and
// where it sits in the control's client area.
struct Sighting {
    bool inside = false;
    bool visible = false;
    RECT frame{};  // in the control's client coordinates
};

Sighting SightIn(HWND control_window) {
    Sighting seen;
    const HWND window = FindWindowExW(control_window, nullptr, kProgressClass, nullptr);
    if (window == nullptr) {
        return seen;
    }
    GetWindowRect(window, &seen.frame);
    MapWindowPoints(nullptr, control_window, reinterpret_cast<POINT*>(&seen.frame), 2);
    const RECT area = ClientRect(control_window);
    seen.visible = IsWindowVisible(window) != FALSE;
    seen.inside = seen.frame.left >= area.left && seen.frame.top >= area.top &&
                  seen.frame.right <= area.right && seen.frame.bottom <= area.bottom;
    return seen;
}

// Progress windows on the desktop (top-level) and among the message-only windows.
int ProgressWindowsOutsideControls() {
    int count = 0;
    for (const HWND parent : {static_cast<HWND>(nullptr), HWND_MESSAGE}) {
        for (HWND window = FindWindowExW(parent, nullptr, kProgressClass, nullptr);
             window != nullptr; window = FindWindowExW(parent, window, kProgressClass, nullptr)) {
            ++count;
        }
    }
    return count;
}

// Starts a load with `load`, runs `seen` right after `engine` has fired its BeforeNavigate2,
// and plays the load to its end.
void LoadAndWatch(Checks& checks, Engines& engines, IScriptedEngine& engine,
                  const std::function<void()>& load, const std::function<void()>& seen) {
    EventLog log(engines, nullptr);
    const ULONG serial = engine.Serial();
    log.SetAfter([&](IScriptedEngine& fired, const EngineEvent& event) {
        if (event.id == DISPID_BEFORENAVIGATE2 && fired.Serial() == serial) {
            seen();
        }
    });
    load();
    checks.That(WaitIdle(engine), "the load plays to its end");
}

void ClickAndWatch(Checks& checks, Engines& engines, IScriptedEngine& engine,
                   const std::function<void()>& seen) {
    LoadAndWatch(
        checks, engines, engine, [&] { engine.ClickLink(kNextUrl); }, seen);
}

// The last control started holds the shared window; its panel is destroyed while the other
// control loads. That load's progress and completion must make no window out of sight, and
// the other control's next load shows a new one inside it. Then the loading control's own
// panel goes, and its next load must put no window on the desktop.
void CheckParentDestroyed(Checks& checks, Engines& engines, HWND main_window) {
    com::UniqueHwnd left = Panel(main_window, kLeftPanel);
    com::UniqueHwnd right = Panel(main_window, kRightPanel);
    EmbeddedControl loading(engines, left.Get(), kPanelArea);
    EmbeddedControl holder(engines, right.Get(), kPanelArea);
    if (!checks.That(loading.Ready() && holder.Ready(), "two controls with their engines")) {
        return;
    }
    loading.Start(kPanelArea);
    holder.Start(kPanelArea);
    checks.That(FindWindowExW(holder.Window(), nullptr, kProgressClass, nullptr) != nullptr,
                "the control started last holds the progress window");

    {
        EventLog log(engines, nullptr);
        const ULONG serial = loading.Engine().Serial();
        log.SetBefore([&](IScriptedEngine& fired, const EngineEvent& event) {
            if (event.id == DISPID_PROGRESSCHANGE && fired.Serial() == serial &&
                right.Get() != nullptr) {
                right.Reset();
            }
        });
        loading.Plugin().ShowPlugin();
        checks.That(WaitIdle(loading.Engine()), "the load plays to its end");
        checks.That(!IsWindow(holder.Window()) && log.Of(DISPID_PROGRESSCHANGE).size() > 1,
                    "the window holding the progress window went during the load's progress");
    }
    checks.Equal(ProgressWindowsOutsideControls(), 0,
                 "the rest of the load makes no progress window out of any control");

    Sighting next;
    ClickAndWatch(checks, engines, loading.Engine(), [&] { next = SightIn(loading.Window()); });
    checks.That(next.inside && next.visible,
                "the next load shows the progress window visible inside the loading control");

    const HWND gone = loading.Window();
    left.Reset();
    int outside_during = -1;
    ClickAndWatch(checks, engines, loading.Engine(),
                  [&] { outside_during = ProgressWindowsOutsideControls(); });
    checks.That(!IsWindow(gone) && outside_during == 0 && ProgressWindowsOutsideControls() == 0,
                "a load in a control whose window is gone puts no progress window on the "
                "desktop, during the load or after it");

    loading.Plugin().ClosePlugin();
    holder.Plugin().ClosePlugin();
}

// A host that sizes the control once, when it places it, and only then starts it: the first
// showing centres the progress window in the control's client area.
void CheckSizedBeforeStart(Checks& checks, Engines& engines, HWND main_window) {
    EmbeddedControl control(engines, main_window, kSizedOnce);
    if (!checks.That(control.Ready(), "a control with its engine")) {
        return;
    }
    control.Plugin().InitPlugin(static_cast<IDvController*>(control.Host().controller.Get()), 0);
    Sighting first;
    LoadAndWatch(
        checks, engines, control.Engine(), [&] { control.Plugin().ShowPlugin(); },
        [&] { first = SightIn(control.Window()); });
    const RECT area = ClientRect(control.Window());
    const int left = (area.right - kProgressWidth) / 2;
    const int top = (area.bottom - kProgressHeight) / 2;
    const RECT expected{left, top, left + kProgressWidth, top + kProgressHeight};
    checks.Equal(RectText(first.frame), RectText(expected),
                 "the first showing centres the progress window in the control's client area " +
                     RectText(area));
    checks.That(first.visible, "the progress window shows at its first showing");
    control.Plugin().ClosePlugin();
}

}  // namespace

void CheckProgressParent(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: progress parent");
    CheckParentDestroyed(checks, engines, main_window);
    CheckSizedBeforeStart(checks, engines, main_window);
}

}  // namespace kvt::wintest
