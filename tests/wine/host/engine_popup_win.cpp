// A page asks for a new window: the control's NewWindow2 creates a popup, hands the popup's
// browser (another scripted engine) back to the engine, which loads the page there; the
// popup shows modally once the event has returned, with the top document's title in its
// caption, and closing it gives the control's page the focus again.
#include <exdispid.h>

#include <cstdio>

#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

constexpr wchar_t kPopupClass[] = L"KvNewTavrixPopup";
constexpr wchar_t kPopupUrl[] = L"http://127.0.0.1:8080/popup.aspx";
constexpr UINT kWatchdogTime = 30000;  // a hang guard for the popup's modal loop

bool g_watchdog_fired = false;

HWND Popup() {
    return FindWindowW(kPopupClass, nullptr);
}

std::wstring Caption(HWND window) {
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

// Closes a popup that nothing else closes, so that its modal loop ends.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_watchdog_fired = true;
    if (HWND popup = Popup()) {
        PostMessageW(popup, WM_CLOSE, 0, 0);
    }
}

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

void Observe(IScriptedEngine& engine, const EngineEvent& event, ULONG opener, HWND main_window,
             Engines& engines, Seen& seen) {
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
        seen.modal = !IsWindowEnabled(main_window);
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

void CheckCase(Checks& checks, Engines& engines, HWND main_window, EmbeddedControl& control,
               const Case& c) {
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
        Observe(engine, event, opener.Serial(), main_window, engines, seen);
    });
    TestPage page;
    page.title = c.title != nullptr ? c.title : L"";
    page.html = c.title != nullptr;
    page.frames = c.frames;
    page.wait_until_shown = true;
    const engine::PageSpec spec = page.Spec();
    g_watchdog_fired = false;
    const UINT_PTR watchdog = SetTimer(nullptr, 0, kWatchdogTime, Watchdog);
    opener.OpenWindow(kPopupUrl, &spec);
    WaitUntil([&] {
        return opener.Idle() == S_OK && seen.popup != nullptr && !IsWindow(seen.popup) &&
               engines.Count() == engines_before;
    });
    KillTimer(nullptr, watchdog);

    checks.That(seen.created_hidden && seen.engines_at_new_window == engines_before + 1,
                "NewWindow2 creates the popup with its own engine, hidden while the event runs");
    bool loaded = false;
    for (const SeenEvent& event : log.Of(DISPID_BEFORENAVIGATE2)) {
        loaded = loaded || (event.engine != opener.Serial() && event.event.top &&
                            event.text == Utf8(kPopupUrl) && !event.event.cancelled);
    }
    checks.That(loaded, "the engine loads the new window's page in the popup's engine");
    checks.That(seen.shown && seen.modal,
                "the popup shows after the event returned, modal: the host's window is disabled");
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
    checks.That(!g_watchdog_fired && IsWindowEnabled(main_window),
                "closing the popup ends its modal loop and enables the host's window again");
    checks.Equal(Starting(RecordOf(opener, opener_start), "DoVerb -4 ").size(), std::size_t{1},
                 "the control's page takes the focus again when the popup is gone");
    checks.Equal(engines.Count(), engines_before, "the popup lets go of its engine");
}

// A popup's page asks for a new window in turn: a second popup opens over the first, and
// closing it returns to the first.
void CheckNestedPopup(Checks& checks, Engines& engines, HWND main_window,
                      EmbeddedControl& control) {
    std::printf("-- a popup whose page opens a new window\n");
    IScriptedEngine& opener = control.Engine();
    const ULONG engines_before = engines.Count();
    EventLog log(engines, nullptr);
    TestPage page;
    page.title = L"行情";
    page.wait_until_shown = true;
    const engine::PageSpec spec = page.Spec();
    HWND first = nullptr;
    HWND second = nullptr;
    ULONG first_engine = 0;
    ULONG engines_at_second = 0;
    bool first_disabled_under_second = false;
    bool first_enabled_after_second = false;
    log.SetAfter([&](IScriptedEngine& engine, const EngineEvent& event) {
        if (event.id != DISPID_NAVIGATECOMPLETE2 || !event.top ||
            engine.Serial() == opener.Serial()) {
            return;
        }
        if (first == nullptr) {
            first = Popup();
            first_engine = engine.Serial();
            engine.OpenWindow(L"http://127.0.0.1:8080/second.aspx", &spec);
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
            first_disabled_under_second = !IsWindowEnabled(first);
            PostMessageW(second, WM_CLOSE, 0, 0);
            log.Work().Post([&] {
                first_enabled_after_second = !IsWindow(second) && IsWindowEnabled(first);
                PostMessageW(first, WM_CLOSE, 0, 0);
            });
        }
    });
    g_watchdog_fired = false;
    const UINT_PTR watchdog = SetTimer(nullptr, 0, kWatchdogTime, Watchdog);
    opener.OpenWindow(kPopupUrl, &spec);
    WaitUntil(
        [&] { return first != nullptr && !IsWindow(first) && engines.Count() == engines_before; });
    KillTimer(nullptr, watchdog);
    checks.That(second != nullptr && second != first && engines_at_second == engines_before + 2,
                "the first popup's new window opens a second popup with its own engine");
    checks.That(first_disabled_under_second,
                "the second popup is modal over the first: the first is disabled meanwhile");
    checks.That(first_enabled_after_second, "closing the second popup returns to the first");
    checks.That(
        !g_watchdog_fired && IsWindowEnabled(main_window) && engines.Count() == engines_before,
        "closing both enables the host's window and lets go of both engines");
}

}  // namespace

void CheckPopups(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: popups");
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!checks.That(control.Ready(), "a control with its engine")) {
        return;
    }
    control.Start(kLayoutArea);
    control.Plugin().ShowPlugin();
    WaitIdle(control.Engine());
    const Case cases[] = {
        {L"行情 资讯", 1, L"资讯浏览[行情 资讯]"},
        {L"", 0, L"资讯浏览[]"},
        {nullptr, 0, L"资讯浏览"},
    };
    for (const Case& c : cases) {
        CheckCase(checks, engines, main_window, control, c);
    }
    CheckNestedPopup(checks, engines, main_window, control);
    control.Plugin().ClosePlugin();
}

}  // namespace kvt::wintest
