// A page asks for a new window: the control's NewWindow2 creates a popup, hands the popup's
// browser (another scripted engine) back to the engine, which loads the page there; the
// popup shows modally once the event has returned, with the top document's title in its
// caption, and closing it gives the control's page the focus again.
#include <exdispid.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "engine_sections_win.h"
#include "window_probes_win.h"

namespace kvt::wintest {

namespace {

constexpr wchar_t kPopupUrl[] = L"http://127.0.0.1:8080/popup.aspx";

HWND Popup() {
    return FindWindowW(kPopupClass, nullptr);
}

std::wstring Caption(HWND window) {
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

// Whether each popup window's owner was enabled when the window started to go. As
// EnableWindow's remarks put it, a window must be enabled before it can be activated: a
// window that disabled its owner enables it before it is destroyed, or another window
// receives the focus and the activation.
class OwnerAtDestroy {
  public:
    OwnerAtDestroy()
        : watch_([this](HWND window) {
              wchar_t name[64] = {};
              GetClassNameW(window, name, 64);
              if (std::wstring_view(name) == kPopupClass) {
                  const HWND owner = GetWindow(window, GW_OWNER);
                  enabled_.push_back(owner != nullptr && IsWindowEnabled(owner));
              }
          }) {}

    // The popups destroyed so far, and whether all had their owners enabled.
    std::size_t Count() const { return enabled_.size(); }
    bool AllEnabled() const {
        return std::find(enabled_.begin(), enabled_.end(), false) == enabled_.end();
    }

  private:
    std::vector<bool> enabled_;
    DestroyWatch watch_;
};

// The host's top-level windows: its main window, another one the user can work in, one the
// host disabled itself, and a hidden one (as the thread's input-method window is). A popup is
// modal over all the visible ones and leaves the hidden one alone; when it closes the host's
// windows are as they were.
class HostWindows {
  public:
    explicit HostWindows(HWND main_window)
        : main(main_window),
          other_(Make(L"another window of the host", 40)),
          disabled_(Make(L"a window the host disabled", 80)),
          hidden_(Make(L"a hidden window of the host", 120)) {
        EnableWindow(disabled_.Get(), FALSE);
        ShowWindow(hidden_.Get(), SW_HIDE);
    }

    bool AllDisabled() const {
        return !IsWindowEnabled(main) && !IsWindowEnabled(other_.Get()) &&
               !IsWindowEnabled(disabled_.Get()) && IsWindowEnabled(hidden_.Get());
    }
    bool AsBefore() const {
        return IsWindowEnabled(main) && IsWindowEnabled(other_.Get()) &&
               !IsWindowEnabled(disabled_.Get()) && IsWindowEnabled(hidden_.Get());
    }

    const HWND main;

  private:
    static HWND Make(const wchar_t* title, int offset) {
        const HWND window =
            CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW, offset, offset, 200, 100,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        return window;
    }

    com::UniqueHwnd other_;
    com::UniqueHwnd disabled_;
    com::UniqueHwnd hidden_;
};

struct Case {
    const wchar_t* title;  // null: a document that is not HTML
    unsigned frames;
    const wchar_t* caption;
};

// What the test saw while the popup lived.
struct Seen {
    bool created_hidden = false;
    ULONG engines_at_new_window = 0;
    bool shown = false;
    bool modal = false;
    std::wstring caption_before;
    RECT client{};
    std::vector<std::wstring> captions;
    HWND popup = nullptr;
};

void Observe(IScriptedEngine& engine, const EngineEvent& event, ULONG opener,
             const HostWindows& host, Engines& engines, Seen& seen) {
    if (engine.Serial() == opener) {
        if (event.id == DISPID_NEWWINDOW2) {
            seen.popup = Popup();
            seen.created_hidden = seen.popup != nullptr && !IsWindowVisible(seen.popup);
            seen.engines_at_new_window = engines.Count();
        }
        return;
    }
    if (event.id == DISPID_NAVIGATECOMPLETE2 && event.top) {
        seen.shown = seen.popup != nullptr && IsWindowVisible(seen.popup);
        seen.modal = host.AllDisabled();
        seen.caption_before = Caption(seen.popup);
        seen.client = ClientRect(seen.popup);
    }
    if (event.id == DISPID_DOCUMENTCOMPLETE) {
        seen.captions.push_back(Caption(seen.popup));
        if (event.top) {
            PostMessageW(seen.popup, WM_CLOSE, 0, 0);  // the user closes it
        }
    }
}

void CheckCase(Checks& checks, Engines& engines, const HostWindows& host, EmbeddedControl& control,
               const Case& c) {
    const HWND main_window = host.main;
    if (c.title != nullptr) {
        std::printf("-- a popup whose page is titled \"%s\" with %u frame(s)\n",
                    Utf8(c.title).c_str(), c.frames);
    } else {
        std::printf("-- a popup whose document is not HTML\n");
    }
    IScriptedEngine& opener = control.Engine();
    const ULONG engines_before = engines.Count();
    const std::size_t opener_start = RecordSize(opener);
    EventLog log(engines, nullptr);
    Seen seen;
    log.SetAfter([&](IScriptedEngine& engine, const EngineEvent& event) {
        Observe(engine, event, opener.Serial(), host, engines, seen);
    });
    TestPage page;
    page.title = c.title != nullptr ? c.title : L"";
    page.html = c.title != nullptr;
    page.frames = c.frames;
    page.wait_until_shown = true;
    const engine::PageScript script = page.Script();
    const OwnerAtDestroy owner_at_destroy;
    const PopupWatchdog watchdog;
    opener.OpenWindow(kPopupUrl, &script);
    WaitUntil([&] {
        return opener.Idle() == S_OK && seen.popup != nullptr && !IsWindow(seen.popup) &&
               engines.Count() == engines_before;
    });

    checks.That(seen.created_hidden && seen.engines_at_new_window == engines_before + 1,
                "NewWindow2 creates the popup with its own engine, hidden while the event runs");
    bool loaded = false;
    for (const SeenEvent& event : log.Of(DISPID_BEFORENAVIGATE2)) {
        loaded = loaded || (event.engine != opener.Serial() && event.event.top &&
                            event.text == Utf8(kPopupUrl) && !event.event.cancelled);
    }
    checks.That(loaded, "the engine loads the new window's page in the popup's engine");
    checks.That(seen.shown && seen.modal,
                "the popup shows after the event returned, modal: every visible window of the host "
                "is disabled, a hidden one is left alone");
    checks.That(seen.client.right == 862 && seen.client.bottom == 473,
                "its client area is 862 x 473: " + RectText(seen.client));
    checks.Equal(Utf8(seen.caption_before), "资讯浏览",
                 "its caption before the first document completes");
    std::vector<std::string> focus;
    for (const SeenEvent& event : log.Of(DISPID_NAVIGATECOMPLETE2)) {
        if (event.engine != opener.Serial() && event.event.top) {
            focus = Starting(event.record, "DoVerb -4 ");
        }
    }
    checks.Equal(
        Joined(focus),
        Joined({"DoVerb -4 window=" + WindowText(seen.popup) + " rect=0,0,862,473 site=client"}),
        "NavigateComplete2 focuses the popup's page in the popup's window");
    std::vector<std::string> captions;
    for (const std::wstring& caption : seen.captions) {
        captions.push_back(Utf8(caption));
    }
    checks.Equal(Joined(captions), Joined(std::vector<std::string>(c.frames + 1, Utf8(c.caption))),
                 c.title != nullptr
                     ? "every completed document shows the top document's title in the caption"
                     : "a document that is not HTML leaves the caption as it was");
    checks.That(!watchdog.Fired() && host.AsBefore(),
                "closing the popup ends its modal loop and enables the host's windows again, "
                "all but the one the host disabled itself");
    checks.That(owner_at_destroy.Count() == 1 && owner_at_destroy.AllEnabled(),
                "the host's window is enabled before the popup's window is destroyed");
    checks.That(GetActiveWindow() == main_window,
                "the host's window is the active window again once the popup is gone");
    checks.Equal(Starting(RecordOf(opener, opener_start), "DoVerb -4 ").size(), std::size_t{1},
                 "the control's page takes the focus again when the popup is gone");
    checks.Equal(engines.Count(), engines_before, "the popup lets go of its engine");

    // The control no longer refers to the popup: showing the control touches no window but
    // its own.
    const HRESULT shown = control.Plugin().ShowPlugin();
    checks.That(shown == S_OK && GetActiveWindow() == main_window && PopupWindows().empty(),
                "ShowPlugin afterwards leaves the host's window active and brings up no popup");
}

// A popup's page asks for a new window in turn: a second popup opens over the first, and
// closing it returns to the first.
void CheckNestedPopup(Checks& checks, Engines& engines, const HostWindows& host,
                      EmbeddedControl& control) {
    const HWND main_window = host.main;
    std::printf("-- a popup whose page opens a new window\n");
    IScriptedEngine& opener = control.Engine();
    const ULONG engines_before = engines.Count();
    EventLog log(engines, nullptr);
    TestPage page;
    page.title = L"行情";
    page.wait_until_shown = true;
    const engine::PageScript script = page.Script();
    HWND first = nullptr;
    HWND second = nullptr;
    ULONG first_engine = 0;
    ULONG engines_at_second = 0;
    bool first_disabled_under_second = false;
    bool first_enabled_after_second = false;
    bool other_took_activation = false;
    HRESULT shown = E_PENDING;
    bool first_in_front = false;
    log.SetAfter([&](IScriptedEngine& engine, const EngineEvent& event) {
        if (event.id != DISPID_NAVIGATECOMPLETE2 || !event.top ||
            engine.Serial() == opener.Serial()) {
            return;
        }
        if (first == nullptr) {
            first = Popup();
            first_engine = engine.Serial();
            engine.OpenWindow(L"http://127.0.0.1:8080/second.aspx", &script);
            return;
        }
        if (engine.Serial() != first_engine && second == nullptr) {
            for (HWND window = FindWindowW(kPopupClass, nullptr); window != nullptr;
                 window = FindWindowExW(nullptr, window, kPopupClass, nullptr)) {
                if (window != first) {
                    second = window;
                }
            }
            engines_at_second = engines.Count();
            first_disabled_under_second = !IsWindowEnabled(first) && host.AllDisabled();
            PostMessageW(second, WM_CLOSE, 0, 0);
            log.Work().Post([&] {
                first_enabled_after_second =
                    !IsWindow(second) && IsWindowEnabled(first) && host.AllDisabled();
                // Another window takes the activation; ShowPlugin brings the control's own
                // popup, the first, to the front again.
                const com::UniqueHwnd other(CreateWindowExW(
                    0, L"STATIC", L"another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                    100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
                SetForegroundWindow(other.Get());
                other_took_activation = GetActiveWindow() == other.Get();
                shown = control.Plugin().ShowPlugin();
                first_in_front = GetForegroundWindow() == first && GetActiveWindow() == first;
                PostMessageW(first, WM_CLOSE, 0, 0);
            });
        }
    });
    const OwnerAtDestroy owner_at_destroy;
    const PopupWatchdog watchdog;
    opener.OpenWindow(kPopupUrl, &script);
    WaitUntil(
        [&] { return first != nullptr && !IsWindow(first) && engines.Count() == engines_before; });
    checks.That(second != nullptr && second != first && engines_at_second == engines_before + 2,
                "the first popup's new window opens a second popup with its own engine");
    checks.That(first_disabled_under_second,
                "the second popup is modal over the first: the first and the host's windows are "
                "disabled meanwhile");
    checks.That(first_enabled_after_second,
                "closing the second popup returns to the first, the host's windows still disabled");
    checks.That(other_took_activation && shown == S_OK && first_in_front,
                "the control still refers to the first popup: with another window active, "
                "ShowPlugin makes the first popup the foreground and active window");
    checks.That(owner_at_destroy.Count() == 2 && owner_at_destroy.AllEnabled(),
                "each popup's owner is enabled before its window is destroyed (the first popup "
                "under the second, the host's window under the first)");
    checks.That(!watchdog.Fired() && host.AsBefore() && GetActiveWindow() == main_window &&
                    engines.Count() == engines_before,
                "closing both enables the host's windows as they were, makes its main window "
                "active and lets go of both engines");
}

// The popup's engine cannot hand over its automation object once the popup exists (a failed
// get_Application): the engine's request is cancelled, and the popup goes before the event
// returns, never shown; the next request opens a popup as usual.
void CheckFailingHalfWay(Checks& checks, Engines& engines, const HostWindows& host,
                         EmbeddedControl& control) {
    std::printf("-- a popup whose engine cannot hand over its automation object\n");
    IScriptedEngine& opener = control.Engine();
    const ULONG engines_before = engines.Count();
    TestPage page;
    page.title = L"行情";
    page.wait_until_shown = true;
    const engine::PageScript script = page.Script();
    EventLog log(engines, nullptr);
    bool failing = true;
    bool cancelled = false;
    bool gone_on_return = false;
    bool next_shown = false;
    log.SetAfter([&](IScriptedEngine& engine, const EngineEvent& event) {
        if (engine.Serial() == opener.Serial() && event.id == DISPID_NEWWINDOW2 && failing) {
            cancelled = event.cancelled;
            gone_on_return = PopupWindows().empty() && engines.Count() == engines_before;
        }
        if (engine.Serial() != opener.Serial() && event.id == DISPID_NAVIGATECOMPLETE2 &&
            event.top && !failing) {
            const HWND popup = TopWindowOf(engine);
            next_shown = IsWindowVisible(popup) && host.AllDisabled();
            PostMessageW(popup, WM_CLOSE, 0, 0);
        }
    });
    std::vector<bool> visible_at_destroy;
    const DestroyWatch destroyed([&](HWND window) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (std::wstring_view(name) == kPopupClass) {
            visible_at_destroy.push_back(IsWindowVisible(window) != FALSE);
        }
    });
    const PopupWatchdog watchdog;
    engines.FailInNewEngines(L"get_Application", E_FAIL);
    opener.OpenWindow(kPopupUrl, &script);
    WaitUntil([&] { return opener.Idle() == S_OK && PopupWindows().empty(); });
    engines.FailInNewEngines(L"get_Application", S_OK);
    checks.That(cancelled && gone_on_return,
                "the request is cancelled, and when NewWindow2 returns the popup's window and "
                "engine are gone");
    checks.That(
        !watchdog.Fired() && visible_at_destroy == std::vector<bool>{false} && host.AsBefore(),
        "the popup never shows and the host's windows stay as they were");

    failing = false;
    opener.OpenWindow(kPopupUrl, &script);
    WaitUntil([&] { return next_shown && PopupWindows().empty(); });
    checks.That(!watchdog.Fired() && next_shown && engines.Count() == engines_before,
                "the next request opens a popup, modal, which closes as usual");
}

// The control goes while its popup is open: the popup's modal loop runs in the DLL's code,
// so the DLL must not be unloaded until the popup has gone. DllCanUnloadNow answers S_OK
// only when the DLL is no longer in use (COM's CoFreeUnusedLibraries unloads it then),
// else S_FALSE.
void CheckPopupOutlivesControl(Checks& checks, Engines& engines, HWND main_window) {
    std::printf("-- a popup that outlives its control\n");
    HMODULE dll = nullptr;
    HRESULT with_control = E_PENDING;
    HRESULT without_control = E_PENDING;
    bool popup_stayed = false;
    {
        EmbeddedControl control(engines, main_window, kEmbedArea);
        if (!checks.That(control.Ready(), "a control with its engine")) {
            return;
        }
        control.Start(kLayoutArea);
        control.Plugin().ShowPlugin();
        const com::ComPtr<IScriptedEngine> opener = control.EngineReference();
        WaitIdle(*opener.Get());
        dll = ModuleOf(&control.Plugin());
        const ULONG engines_before = engines.Count();
        EventLog log(engines, nullptr);
        log.SetAfter([&](IScriptedEngine& engine, const EngineEvent& event) {
            if (event.id != DISPID_NAVIGATECOMPLETE2 || !event.top ||
                engine.Serial() == opener->Serial()) {
                return;
            }
            const HWND popup = TopWindowOf(engine);
            log.Work().Post([&, popup] {
                with_control = CanUnloadNow(dll);
                control.Release();
                without_control = CanUnloadNow(dll);
                popup_stayed = IsWindowVisible(popup) != FALSE;
                PostMessageW(popup, WM_CLOSE, 0, 0);
            });
        });
        TestPage page;
        page.title = L"行情";
        page.wait_until_shown = true;
        const engine::PageScript script = page.Script();
        const PopupWatchdog watchdog;
        opener->OpenWindow(kPopupUrl, &script);
        WaitUntil([&] {
            return without_control != E_PENDING && PopupWindows().empty() &&
                   engines.Count() == engines_before;
        });
        checks.That(!watchdog.Fired() && popup_stayed,
                    "the popup stays open when the container releases the control");
    }
    checks.Equal(with_control, S_FALSE,
                 "DllCanUnloadNow answers S_FALSE while the control and its popup live");
    checks.Equal(without_control, S_FALSE,
                 "and still S_FALSE once the control is released, the popup still open");
    checks.Equal(
        CanUnloadNow(dll), S_OK,
        "DllCanUnloadNow answers S_OK once the popup has gone and every object is released");
}

}  // namespace

void CheckPopups(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: popups");
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!StartedWithFirstPage(checks, control)) {
        return;
    }
    const HostWindows host(main_window);
    CheckFailingHalfWay(checks, engines, host, control);
    const Case cases[] = {
        {L"行情 资讯", 1, L"资讯浏览[行情 资讯]"},
        {L"", 0, L"资讯浏览[]"},
        {nullptr, 0, L"资讯浏览"},
    };
    for (const Case& c : cases) {
        CheckCase(checks, engines, host, control, c);
    }
    CheckNestedPopup(checks, engines, host, control);
    control.Plugin().ClosePlugin();
    control.Release();
    CheckPopupOutlivesControl(checks, engines, main_window);
}

}  // namespace kvt::wintest
