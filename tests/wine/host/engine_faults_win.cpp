// Failures around the control's event handlers: a popup window that cannot be created
// when a page asks for a new window, and an engine call that fails while the control
// handles one of the engine's events. The engine never sees the failure as anything but a
// cancelled request, the event returns to it normally, and the control goes on.
#include <exdispid.h>

#include <algorithm>
#include <cstdio>

#include "engine_sections_win.h"
#include "window_probes_win.h"

namespace kvt::wintest {

namespace {

constexpr wchar_t kPopupUrl[] = L"http://127.0.0.1:8080/popup.aspx";
constexpr wchar_t kRefusedUrl[] = L"http://127.0.0.1:8080/refused.aspx";
constexpr wchar_t kAllowedUrl[] = L"http://127.0.0.1:8080/allowed.aspx";

std::vector<HWND> SortedThreadWindows() {
    std::vector<HWND> windows = ThreadWindows();
    std::sort(windows.begin(), windows.end());
    return windows;
}

struct RefusalCase {
    const char* name;
    bool from_popup;  // the page of a popup asks, else the control's own page
};

// What one request for a new window saw while popup windows could not be created, and
// after.
struct Refusal {
    bool fired = false;
    bool cancelled = false;
    std::vector<std::string> outcome;  // the opener's record of what came of NewWindow2
    bool no_engine = false;
    bool no_window = false;
    bool reopened = false;  // the next request, allowed, showed a popup
    bool done = false;
};

// A page asks for a new window while the popup's window class is refused (NewWindow2
// documents Cancel as the way to block the new window; ppDisp is then not looked at),
// then asks again with the class allowed.
void CheckRefusedPopup(Checks& checks, Engines& engines, HWND main_window, EmbeddedControl& control,
                       const RefusalCase& c) {
    std::printf("-- %s\n", c.name);
    IScriptedEngine& page_engine = control.Engine();
    const ULONG engines_at_start = engines.Count();
    TestPage page;
    page.title = L"行情";
    page.wait_until_shown = true;
    const engine::PageScript script = page.Script();
    EventLog log(engines, nullptr);
    Refusal seen;
    ULONG asking_popup = 0;

    const auto round = [&](IScriptedEngine& opener) {
        const ULONG engines_before = engines.Count();
        const std::vector<HWND> windows_before = SortedThreadWindows();
        const std::size_t start = RecordSize(opener);
        const std::size_t events_start = log.Events().size();
        {
            const RefusedWindowClass refused(kPopupClass);
            opener.OpenWindow(kRefusedUrl, &script);
            WaitIdle(opener);
        }
        for (std::size_t index = events_start; index < log.Events().size(); ++index) {
            const SeenEvent& event = log.Events()[index];
            if (event.engine == opener.Serial() && event.event.id == DISPID_NEWWINDOW2) {
                seen.fired = true;
                seen.cancelled = event.event.cancelled;
            }
        }
        seen.outcome = Starting(RecordOf(opener, start), "NewWindow2 ");
        seen.no_engine = engines.Count() == engines_before;
        seen.no_window = SortedThreadWindows() == windows_before;
        opener.OpenWindow(kAllowedUrl, &script);
        WaitUntil([&] {
            return seen.reopened && opener.Idle() == S_OK && engines.Count() == engines_before;
        });
        seen.done = true;
    };
    log.SetAfter([&](IScriptedEngine& engine, const EngineEvent& event) {
        if (event.id != DISPID_NAVIGATECOMPLETE2 || !event.top ||
            engine.Serial() == page_engine.Serial()) {
            return;
        }
        const HWND popup = TopWindowOf(engine);
        if (c.from_popup && asking_popup == 0) {
            // The first popup's page asks, from inside the popup's modal loop.
            asking_popup = engine.Serial();
            const com::ComPtr<IScriptedEngine> keep(&engine);
            log.Work().Post([&, keep, popup] {
                round(*keep.Get());
                PostMessageW(popup, WM_CLOSE, 0, 0);
            });
            return;
        }
        seen.reopened = IsWindowVisible(popup) != FALSE;
        PostMessageW(popup, WM_CLOSE, 0, 0);
    });
    const PopupWatchdog watchdog;
    if (c.from_popup) {
        page_engine.OpenWindow(kPopupUrl, &script);
        WaitUntil([&] {
            return seen.done && PopupWindows().empty() && engines.Count() == engines_at_start;
        });
    } else {
        round(page_engine);
    }

    Explained(checks,
              seen.fired && seen.cancelled &&
                  seen.outcome == std::vector<std::string>{"NewWindow2 cancelled: no window opens"},
              "NewWindow2 answers Cancel=TRUE and no browser when the popup cannot be made",
              seen.outcome);
    checks.That(seen.no_engine && seen.no_window,
                "no engine is created and no top-level window appears");
    checks.That(seen.reopened && seen.done && !watchdog.Fired() && IsWindowEnabled(main_window) &&
                    engines.Count() == engines_at_start,
                "with the class allowed again the next request opens a popup, which closes");
}

struct FailureCase {
    const char* what;
    const wchar_t* call;         // the engine's call that fails
    const wchar_t* link;         // the link the page clicks
    std::vector<DISPID> events;  // the events whose handlers make the failing call
    const char* attempt;         // the record line that shows which call failed ("" for none)
    const char* plays_on;        // an event line the engine plays after the failure ("" for none)
};

// The engine's call fails (an error HRESULT) while the control handles an event: the
// control's sink answers the event normally, the engine goes on, and the control serves
// the next request once the engine works again.
void CheckFailingCall(Checks& checks, Engines& engines, EmbeddedControl& control,
                      ProgressWatch& progress, const FailureCase& c) {
    std::printf("-- %s\n", c.what);
    IScriptedEngine& engine = control.Engine();
    const std::string failure = Utf8(c.call) + " fails with 0x80004005";
    std::vector<std::string> record;
    bool failed_inside = true;
    {
        EventLog log(engines, &progress);
        const std::size_t start = RecordSize(engine);
        engine.FailCall(c.call, E_FAIL);
        engine.ClickLink(c.link);
        const bool played = WaitIdle(engine);
        engine.FailCall(c.call, S_OK);
        record = RecordOf(engine, start);
        for (const DISPID id : c.events) {
            const std::vector<SeenEvent> seen = log.Of(id);
            failed_inside = failed_inside && !seen.empty();
            for (const SeenEvent& event : seen) {
                const std::vector<std::string> attempts = Starting(event.record, c.attempt);
                failed_inside = failed_inside && !Starting(event.record, failure).empty() &&
                                (*c.attempt == '\0' || attempts.size() == 1);
            }
        }
        Explained(checks, failed_inside, "the call fails inside the event's handler", record);
        const auto failed_at = std::find(record.begin(), record.end(), failure);
        const bool played_on =
            *c.plays_on == '\0' || std::find(failed_at, record.end(), c.plays_on) != record.end();
        Explained(checks, played && played_on && Starting(record, "a sink answered").empty(),
                  "every event returns S_OK to the engine, which plays on", record);
        checks.That(!progress.Visible(), "the progress window is not left showing");
    }

    // The next request: the page asks for a refresh, the control posts the content request.
    EventLog log(engines, &progress);
    const std::size_t start = RecordSize(engine);
    engine.ClickLink(L"http://127.0.0.1:8080/page.aspx?next=zq://refresh");
    WaitIdle(engine);
    const std::vector<std::string> next = RecordOf(engine, start);
    const std::vector<SeenEvent> completions = log.Of(DISPID_DOCUMENTCOMPLETE);
    Explained(checks,
              Starting(next, std::string("Navigate url=") + kContentUrl).size() == 1 &&
                  completions.size() == 1 &&
                  !Starting(completions[0].record, "DoVerb -4 ").empty() && !progress.Visible(),
              "the control serves the next request: the content request plays to its end, "
              "the page focused and the progress window hidden",
              next);
}

}  // namespace

void CheckFaults(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: faults");
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!StartedWithFirstPage(checks, control)) {
        return;
    }

    const RefusalCase refusals[] = {
        {"the control's page asks for a new window that cannot be made", false},
        {"a popup's page asks for a new window that cannot be made", true},
    };
    for (const RefusalCase& c : refusals) {
        CheckRefusedPopup(checks, engines, main_window, control, c);
    }

    ProgressWatch progress(control.Window());
    const FailureCase failures[] = {
        {"Navigate fails while BeforeNavigate2 navigates a rid{101} link again",
         L"Navigate",
         L"http://127.0.0.1:8080/page.aspx?r=rid{101}",
         {DISPID_BEFORENAVIGATE2},
         "Navigate url=http://127.0.0.1:8080/page.aspx?r=0X0001 ",
         ""},
        {"get_Document fails while NavigateComplete2 and DocumentComplete focus the page",
         L"get_Document",
         L"http://127.0.0.1:8080/page.aspx",
         {DISPID_NAVIGATECOMPLETE2, DISPID_DOCUMENTCOMPLETE},
         "",
         "event ProgressChange -1/100"},
    };
    for (const FailureCase& c : failures) {
        CheckFailingCall(checks, engines, control, progress, c);
    }
    control.Plugin().ClosePlugin();
}

}  // namespace kvt::wintest
