// Host calls that arrive while the control handles an engine event: ProgressChange runs a
// full message pass, so a ClosePlugin, a range change (the host's 201 on its ranges
// connection point) or the container letting go of the control can run inside it.
#include <exdispid.h>

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
    const engine::PageSpec spec = page.Spec();
    engine->QueuePage(&spec);
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
}

}  // namespace kvt::wintest
