// Host calls that arrive while the control handles an engine event: ProgressChange runs a
// full message pass, so a ClosePlugin, a range change (the host's 201 on its ranges
// connection point) or the container letting go of the control can run inside it. And the
// control's own page events that arrive while a popup's modal loop runs.
#include <exdispid.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

struct Case {
    const char* name;
    bool range_change;
    bool close;
    bool release;
};

// What the work posted into the progress event's message pass saw and did.
struct Outcome {
    bool ran = false;
    bool ran_inside = false;
    int sinks_called = -1;
    HRESULT closed = E_PENDING;
};

void DoWork(const Case& c, EmbeddedControl& control, const EventLog& log, Outcome& outcome) {
    outcome.ran = true;
    outcome.ran_inside = log.Inside();
    if (c.range_change) {
        control.Host().ranges->Tree().Add(
            com::MakeComObject<TestRangeItem>(L"103", L"Coal", L"3C"));
        outcome.sinks_called = control.Host().ranges->Fire(201);
    }
    if (c.close) {
        outcome.closed = control.Plugin().ClosePlugin();
    }
    if (c.release) {
        control.Release();
    }
}

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& prefix) {
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (lines[index].starts_with(prefix)) {
            return index;
        }
    }
    return lines.size();
}

// The engine's references other than the one the test keeps.
ULONG OtherReferences(IScriptedEngine& engine) {
    engine.AddRef();
    return engine.Release() - 1;
}

void CheckCase(Checks& checks, Engines& engines, HWND main_window, const Case& c) {
    std::printf("-- %s during ProgressChange\n", c.name);
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!checks.That(control.Ready(), "a control with its engine")) {
        return;
    }
    control.Start(kLayoutArea);
    IScriptedEngine* const engine = &control.Engine();  // the control object keeps a reference
    HWND window = control.Window();
    ProgressWatch progress(window);
    EventLog log(engines, &progress);
    Outcome outcome;
    bool posted = false;
    log.SetBefore([&](IScriptedEngine&, const EngineEvent& event) {
        if (!posted && event.id == DISPID_PROGRESSCHANGE && event.first == 10) {
            posted = true;
            log.Work().Post([&] { DoWork(c, control, log, outcome); });
        }
    });
    TestPage page;
    page.title = L"行情 资讯";
    page.before = {{10, 100}, {20, 100}};
    const engine::PageScript script = page.Script();
    engine->QueuePage(&script);
    const std::size_t start = RecordSize(*engine);
    control.Plugin().ShowPlugin();
    WaitUntil([&] { return outcome.ran && engine->Idle() == S_OK; });
    log.SetBefore(nullptr);

    checks.That(outcome.ran && outcome.ran_inside,
                "the host's call runs inside the progress event's message pass");
    const std::vector<SeenEvent> progress_events = log.Of(DISPID_PROGRESSCHANGE);
    checks.That(!progress_events.empty() && progress_events[0].pass_ran,
                "the progress event that ran the host's call returns to the engine");
    const std::vector<std::string> record = RecordOf(*engine, start);
    const std::vector<std::string> requests = Starting(record, "Navigate ");
    const std::size_t expected_requests = c.range_change ? 2 : 1;
    Explained(checks,
              requests.size() == expected_requests &&
                  (!c.range_change || requests.back().find("Coal%3B103") != std::string::npos),
              "the engine gets " + std::to_string(expected_requests) + " request(s)" +
                  (c.range_change ? ", the last with the rebuilt sector list" : ""),
              requests);
    if (c.range_change) {
        checks.Equal(outcome.sinks_called, 1, "the range change reaches the control's sink");
    }
    if (!c.close) {
        checks.That(!Starting(record, "the load in progress is abandoned").empty() &&
                        log.Of(DISPID_DOCUMENTCOMPLETE).size() == 1 && !progress.Visible(),
                    "the new request replaces the page being loaded, which completes once and "
                    "hides the progress window");
        control.Plugin().ClosePlugin();
        return;
    }
    checks.Equal(outcome.closed, S_OK, "ClosePlugin succeeds inside the pass");
    const std::size_t stop = IndexOf(record, "Stop (");
    const std::vector<std::string> after_stop(
        record.begin() + static_cast<std::ptrdiff_t>(std::min(stop + 1, record.size())),
        record.end());
    Explained(checks, stop < record.size() && Starting(after_stop, "event ").empty(),
              "ClosePlugin stops the engine and no further event plays", after_stop);
    if (!c.release) {
        checks.That(progress.Window() == nullptr, "ClosePlugin destroys the progress window");
    }

    // The page itself may still start a navigation: the closed control does nothing with it.
    const std::size_t late = RecordSize(*engine);
    engine->ClickLink(L"http://127.0.0.1:8080/late.aspx");
    WaitIdle(*engine);
    const std::vector<std::string> late_record = RecordOf(*engine, late);
    Explained(
        checks,
        !Starting(late_record, "event DocumentComplete top").empty() &&
            Starting(late_record, "DoVerb").empty() && Starting(late_record, "Navigate ").empty() &&
            (c.release || progress.Window() == nullptr),
        "a page that navigates after ClosePlugin gets no response from the control", late_record);
    if (c.release) {
        const std::vector<std::string> all = RecordOf(*engine, start);
        checks.That(!Starting(all, "Unadvise DWebBrowserEvents2").empty() &&
                        !Starting(all, "Close ").empty() &&
                        !Starting(all, "SetClientSite null").empty(),
                    "the released control unadvises, closes and leaves its engine");
        checks.Equal(OtherReferences(*engine), 0ul,
                     "nothing but the test holds the engine once the control is gone");
    }
}

std::string Numbers(const std::vector<int>& values) {
    std::string text;
    for (const int value : values) {
        text += (text.empty() ? "" : ",") + std::to_string(value);
    }
    return "[" + text + "]";
}

// The control's own page goes on while a popup is open: its engine's events are played from
// messages posted to the engine's window, and the popup's modal loop takes them (GetMessage
// with no window retrieves the messages of every window of the thread), so the control
// handles them inside that loop as it does without a popup.
void CheckDuringPopup(Checks& checks, Engines& engines, HWND main_window) {
    std::printf("-- the control's page plays while a popup's modal loop runs\n");
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!StartedWithFirstPage(checks, control)) {
        return;
    }
    IScriptedEngine& engine = control.Engine();
    ProgressWatch progress(control.Window());
    EventLog log(engines, &progress);
    const ULONG engines_before = engines.Count();
    constexpr wchar_t kNews[] = L"http://127.0.0.1:8080/news.aspx";
    constexpr wchar_t kKey[] = L"zq://key/13";
    TestPage news;
    news.title = L"资讯";
    news.before = {{10, 100}, {20, 100}};
    const engine::PageScript news_script = news.Script();
    HWND popup = nullptr;
    std::size_t start = 0;
    std::size_t first_event = 0;  // the control's first event inside the popup's loop
    bool modal_throughout = true;
    bool key_clicked = false;
    bool key_handled = false;
    const std::size_t keys_before = control.Host().controller->HandledKeys().size();
    log.SetAfter([&](IScriptedEngine& seen, const EngineEvent& event) {
        const std::string text = Utf8(event.text != nullptr ? event.text : L"");
        if (seen.Serial() != engine.Serial()) {
            if (popup == nullptr && event.id == DISPID_NAVIGATECOMPLETE2 && event.top) {
                // The popup is up and its loop runs: the user clicks a link in the page
                // behind it (a script's navigation, say).
                popup = TopWindowOf(seen);
                start = RecordSize(engine);
                first_event = log.Events().size();
                engine.QueuePage(&news_script);
                engine.ClickLink(kNews);
            }
            return;
        }
        if (popup == nullptr) {
            return;
        }
        modal_throughout = modal_throughout && IsWindowVisible(popup) &&
                           !IsWindowEnabled(main_window) && IsWindowEnabled(popup);
        if (event.id == DISPID_PROGRESSCHANGE && event.first == -1 && !key_clicked) {
            key_clicked = true;
            engine.ClickLink(kKey);
        } else if (event.id == DISPID_BEFORENAVIGATE2 && text == Utf8(kKey)) {
            const std::vector<LONG>& keys = control.Host().controller->HandledKeys();
            key_handled = event.cancelled &&
                          std::vector<LONG>(keys.begin() + static_cast<std::ptrdiff_t>(keys_before),
                                            keys.end()) == std::vector<LONG>{13};
            PostMessageW(popup, WM_CLOSE, 0, 0);
        }
    });
    TestPage popup_page;
    popup_page.title = L"行情";
    popup_page.wait_until_shown = true;
    const engine::PageScript popup_script = popup_page.Script();
    const PopupWatchdog watchdog;
    engine.OpenWindow(L"http://127.0.0.1:8080/popup.aspx", &popup_script);
    WaitUntil([&] {
        return popup != nullptr && !IsWindow(popup) && engine.Idle() == S_OK &&
               engines.Count() == engines_before;
    });
    log.SetAfter(nullptr);

    std::vector<SeenEvent> played;
    for (std::size_t index = first_event; index < log.Events().size(); ++index) {
        if (log.Events()[index].engine == engine.Serial()) {
            played.push_back(log.Events()[index]);
        }
    }
    const std::vector<std::string> record = RecordOf(engine, start);
    Explained(checks,
              !played.empty() && modal_throughout &&
                  !Starting(record, "event DocumentComplete top url=" + Utf8(kNews)).empty() &&
                  !Starting(record, "event BeforeNavigate2 top url=" + Utf8(kKey)).empty(),
              "the link's load and the page command play while the popup is up and modal", record);
    // Which paintings happen while a popup covers the control is up to the window system;
    // every one that does must show the event's percentage.
    const std::vector<std::pair<bool, int>> expected{
        {true, FillFor(10)}, {true, FillFor(20)}, {true, FillFor(100)}, {false, 0}};
    std::vector<std::string> shown;
    bool as_expected = true;
    std::size_t index = 0;
    for (const SeenEvent& seen : played) {
        if (seen.event.id != DISPID_PROGRESSCHANGE) {
            continue;
        }
        shown.push_back(std::to_string(seen.event.first) + "/" + std::to_string(seen.event.second) +
                        ": " + (seen.progress_visible ? "shown, painted " : "hidden, painted ") +
                        Numbers(seen.paints));
        const auto [visible, fill] =
            index < expected.size() ? expected[index] : std::pair<bool, int>{false, -1};
        as_expected =
            as_expected && index < expected.size() && seen.progress_visible == visible &&
            std::all_of(seen.paints.begin(), seen.paints.end(), [&](int p) { return p == fill; });
        ++index;
    }
    Explained(checks, as_expected && index == expected.size(),
              "ProgressChange 10/100, 20/100 and 100/100 keep the control's progress window up at "
              "their percentage, and -1/100 after DocumentComplete leaves it hidden",
              shown);
    bool completed = false;
    for (const SeenEvent& seen : played) {
        if (seen.event.id == DISPID_DOCUMENTCOMPLETE && seen.event.top) {
            completed = !seen.progress_visible;
        }
    }
    checks.That(completed, "DocumentComplete of the control's page hides its progress window");
    checks.That(key_handled, "zq://key/13 is cancelled and hands 13 to the host inside the event");
    Explained(checks, Starting(record, "Navigate ").empty() && Starting(record, "Stop").empty(),
              "neither the link nor the command makes the control navigate or stop its engine",
              record);
    checks.That(!watchdog.Fired() && IsWindowEnabled(main_window) &&
                    GetActiveWindow() == main_window && engines.Count() == engines_before,
                "the popup still closes: the host's window is enabled and active again and the "
                "popup's engine is let go");
    control.Plugin().ClosePlugin();
}

}  // namespace

void CheckReentrancy(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: re-entrancy");
    const Case cases[] = {
        {"ClosePlugin", false, true, false},
        {"a range change", true, false, false},
        {"a range change, then ClosePlugin", true, true, false},
        {"ClosePlugin, then the container releasing the control", false, true, true},
    };
    for (const Case& c : cases) {
        CheckCase(checks, engines, main_window, c);
    }
    CheckDuringPopup(checks, engines, main_window);
}

}  // namespace kvt::wintest
