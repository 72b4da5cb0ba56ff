// WM_QUIT arrives while a popup's modal loop runs. A modal loop on Windows that receives
// WM_QUIT posts it again with PostQuitMessage and its exit code and returns, so that the
// loop below it, in the end the host's own, sees it too. The popups close as if the user
// closed them: the control hears of its popup's end, and no window is left.
#include <exdispid.h>

#include <cstdio>
#include <optional>
#include <string>

#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

constexpr wchar_t kPopupUrl[] = L"http://127.0.0.1:8080/popup.aspx";
constexpr wchar_t kNestedUrl[] = L"http://127.0.0.1:8080/nested.aspx";
constexpr int kExitCode = 0x5A17;

// The host's own message loop: it runs until WM_QUIT and answers its exit code; nothing
// when no quit came within the wait.
std::optional<WPARAM> HostLoopUntilQuit() {
    const ULONGLONG end = GetTickCount64() + kPlayWait;
    while (GetTickCount64() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return message.wParam;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return std::nullopt;
}

std::size_t FocusCount(IScriptedEngine& engine, std::size_t from) {
    return Starting(RecordOf(engine, from), "DoVerb -4 ").size();
}

TestPage PopupPage() {
    TestPage page;
    page.title = L"行情";
    page.wait_until_shown = true;
    return page;
}

// `depth` popups open, each from the one before; the quit is posted from inside the
// innermost one's modal loop.
void CheckQuitInside(Checks& checks, Engines& engines, HWND main_window, EmbeddedControl& control,
                     unsigned depth) {
    std::printf("-- WM_QUIT while %u popup(s) run their modal loops, each over the one before\n",
                depth);
    IScriptedEngine& opener = control.Engine();
    const ULONG engines_before = engines.Count();
    const std::size_t opener_start = RecordSize(opener);
    const TestPage page = PopupPage();
    const engine::PageScript script = page.Script();
    EventLog log(engines, nullptr);
    unsigned shown = 0;
    bool posted_inside = false;
    log.SetAfter([&](IScriptedEngine& engine, const EngineEvent& event) {
        if (engine.Serial() == opener.Serial() || event.id != DISPID_NAVIGATECOMPLETE2 ||
            !event.top) {
            return;
        }
        if (++shown < depth) {
            engine.OpenWindow(kNestedUrl, &script);
            return;
        }
        const HWND innermost = TopWindowOf(engine);
        log.Work().Post([&, innermost] {
            posted_inside = IsWindowVisible(innermost) && !IsWindowEnabled(main_window);
            PostQuitMessage(kExitCode);
        });
    });
    const PopupWatchdog watchdog;
    opener.OpenWindow(kPopupUrl, &script);
    const std::optional<WPARAM> quit = HostLoopUntilQuit();

    checks.That(posted_inside && !watchdog.Fired() && quit == WPARAM{kExitCode},
                "the host's own loop gets the WM_QUIT posted inside the popup, with its exit "
                "code");
    checks.That(PopupWindows().empty() && engines.Count() == engines_before,
                "no popup window is left, and the popups let go of their engines");
    checks.Equal(FocusCount(opener, opener_start), std::size_t{1},
                 "the control hears that its popup closed: its page takes the focus again");
    checks.That(IsWindowEnabled(main_window) && GetActiveWindow() == main_window,
                "the host's window is enabled and active again");
}

// After the quits the control still opens popups, and closing one tells the control.
void CheckNextPopup(Checks& checks, Engines& engines, EmbeddedControl& control) {
    std::printf("-- a popup after the quits\n");
    IScriptedEngine& opener = control.Engine();
    const ULONG engines_before = engines.Count();
    const std::size_t opener_start = RecordSize(opener);
    const TestPage page = PopupPage();
    const engine::PageScript script = page.Script();
    EventLog log(engines, nullptr);
    bool shown = false;
    log.SetAfter([&](IScriptedEngine& engine, const EngineEvent& event) {
        if (engine.Serial() != opener.Serial() && event.id == DISPID_NAVIGATECOMPLETE2 &&
            event.top) {
            const HWND popup = TopWindowOf(engine);
            shown = IsWindowVisible(popup) != FALSE;
            PostMessageW(popup, WM_CLOSE, 0, 0);
        }
    });
    const PopupWatchdog watchdog;
    opener.OpenWindow(kPopupUrl, &script);
    WaitUntil([&] { return shown && PopupWindows().empty() && engines.Count() == engines_before; });
    checks.That(shown && !watchdog.Fired() && PopupWindows().empty() &&
                    FocusCount(opener, opener_start) == 1,
                "the next popup shows, closes and tells the control");
}

}  // namespace

void CheckQuit(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: quit");
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!StartedWithFirstPage(checks, control)) {
        return;
    }
    for (const unsigned depth : {1u, 2u}) {
        CheckQuitInside(checks, engines, main_window, control, depth);
    }
    CheckNextPopup(checks, engines, control);
    control.Plugin().ClosePlugin();
}

}  // namespace kvt::wintest
