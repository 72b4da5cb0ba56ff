// One content request played to its end, and a page with frames: what the control does with
// the engine's events (the progress window, the focus) as each of them returns.
#include <exdispid.h>

#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

constexpr char kContentBody[] = "SelID=1&Range=0X1A2B&SectorList=Big+Bank%3B101%2CSteel%3B102%2C";
constexpr char kContentHeaders[] = "Content-Type: application/x-www-form-urlencoded\\n\\r";

std::string ExpectedNavigate() {
    return std::string("Navigate url=") + kContentUrl +
           " flags=empty target=empty post=UI1[]:" + kContentBody +
           " headers=BSTR:" + kContentHeaders;
}

// The control gives its page the focus by UI-activating the engine in its own window.
std::string FocusLine(HWND control_window) {
    return "DoVerb -4 window=" + WindowText(control_window) +
           " rect=" + RectText(ClientRect(control_window)) + " site=client";
}

bool Focused(const SeenEvent& seen, HWND control_window) {
    const std::vector<std::string> verbs = Starting(seen.record, "DoVerb -4 ");
    return verbs.size() == 1 && verbs[0] == FocusLine(control_window);
}

bool InsideClientArea(HWND child, HWND parent) {
    RECT frame{};
    GetWindowRect(child, &frame);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&frame), 2);
    const RECT area = ClientRect(parent);
    return frame.left >= area.left && frame.top >= area.top && frame.right <= area.right &&
           frame.bottom <= area.bottom;
}

std::string Numbers(const std::vector<int>& values) {
    std::string text;
    for (const int value : values) {
        text += (text.empty() ? "" : ",") + std::to_string(value);
    }
    return "[" + text + "]";
}

void CheckRequest(Checks& checks, EmbeddedControl& control) {
    IScriptedEngine& engine = control.Engine();
    const std::size_t before = RecordSize(engine);
    checks.Equal(control.Plugin().ShowPlugin(), S_OK, "ShowPlugin");
    const std::vector<std::string> during = RecordOf(engine, before);
    checks.Equal(Joined(Starting(during, "Navigate ")), Joined({ExpectedNavigate()}),
                 "ShowPlugin navigates the engine with the content request");
    checks.That(Starting(during, "event ").empty(),
                "the engine's events play on the message loop, after Navigate has returned");
}

// The request's page: a Chinese title, progress with ProgressMax 0 first and Progress -1
// once complete.
TestPage ContentPage() {
    TestPage page;
    page.title = L"行情 资讯";
    page.before = {{0, 0}, {30, 100}};
    page.after = {{60, 100}, {100, 100}};
    page.after_complete = {{-1, 100}};
    return page;
}

void CheckProgressEvents(Checks& checks, const EventLog& log, HWND control_window) {
    const std::vector<SeenEvent> navigations = log.Of(DISPID_BEFORENAVIGATE2);
    if (!checks.That(!navigations.empty(), "the engine fired BeforeNavigate2")) {
        return;
    }
    const SeenEvent& start = navigations.front();
    checks.That(!start.event.cancelled && start.progress_visible && !start.paints.empty() &&
                    start.paints.back() == 0,
                "BeforeNavigate2 of the page is let through and shows the progress window at "
                "0 %, painted " +
                    Numbers(start.paints));

    // ProgressChange (0, 0), (30, 100), (60, 100), (100, 100) while loading, (-1, 100) after.
    const std::vector<int> expected_fill{FillFor(0), FillFor(30), FillFor(60), FillFor(100), -1};
    std::vector<int> fill;
    bool passes = true;
    for (const SeenEvent& seen : log.Of(DISPID_PROGRESSCHANGE)) {
        fill.push_back(seen.progress_visible ? (seen.paints.empty() ? -2 : seen.paints.back())
                                             : -1);
        passes = passes && seen.pass_ran;
    }
    checks.Equal(Numbers(fill), Numbers(expected_fill),
                 "each ProgressChange moves the bar (pixels filled; -1: hidden once complete)");
    checks.That(passes && !log.Of(DISPID_PROGRESSCHANGE).empty(),
                "each ProgressChange runs a message pass before it returns");

    const std::vector<SeenEvent> arrivals = log.Of(DISPID_NAVIGATECOMPLETE2);
    Explained(checks, arrivals.size() == 1 && Focused(arrivals[0], control_window),
              "NavigateComplete2 focuses the page: " + FocusLine(control_window),
              arrivals.empty() ? std::vector<std::string>() : arrivals[0].record);
    const std::vector<SeenEvent> completions = log.Of(DISPID_DOCUMENTCOMPLETE);
    checks.That(completions.size() == 1 && !completions[0].progress_visible &&
                    !completions[0].paints.empty() && completions[0].paints.back() == FillFor(100),
                "DocumentComplete shows 100 % and then hides the progress window, painted " +
                    (completions.empty() ? std::string() : Numbers(completions[0].paints)));
    checks.That(completions.size() == 1 && Focused(completions[0], control_window),
                "DocumentComplete focuses the page again");
}

// Each document of a page with frames completes on its own, the top document last; the
// control finishes the progress and takes the focus at every completion.
void CheckFrames(Checks& checks, Engines& engines, EmbeddedControl& control,
                 ProgressWatch& progress) {
    TestPage page;
    page.title = L"";
    page.frames = 2;
    EventLog log(engines, &progress);
    IScriptedEngine& engine = control.Engine();
    const engine::PageScript script = page.Script();
    engine.QueuePage(&script);
    engine.ClickLink(L"http://127.0.0.1:8080/quotes.aspx");
    checks.That(WaitIdle(engine), "the page with two frames plays to its end");
    const std::vector<SeenEvent> completions = log.Of(DISPID_DOCUMENTCOMPLETE);
    if (!checks.Equal(completions.size(), std::size_t{3},
                      "DocumentComplete fires for both frames and the top document")) {
        return;
    }
    checks.That(!completions[0].event.top && !completions[1].event.top && completions[2].event.top,
                "the frames complete first, with their own pDisp, and the top document last");
    bool focused = true;
    bool hidden = true;
    for (const SeenEvent& seen : completions) {
        focused = focused && Focused(seen, control.Window());
        hidden = hidden && !seen.progress_visible;
    }
    checks.That(focused, "every completed document gives the page the focus once");
    checks.That(hidden && completions[0].paints == std::vector<int>{FillFor(100)},
                "every completed document finishes the progress: 100 % shown, then hidden");
    checks.That(!progress.Visible(), "the progress window stays hidden after the page");
}

}  // namespace

void CheckCompletion(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: completion");
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!checks.That(control.Ready(), "a control with its engine")) {
        return;
    }
    checks.Equal(control.Start(kLayoutArea), S_OK, "InitPlugin");
    IScriptedEngine& engine = control.Engine();
    HWND window = control.Window();
    const std::vector<std::string> rects = Starting(RecordOf(engine), "SetObjectRects ");
    Explained(checks,
              !rects.empty() && rects.back() == "SetObjectRects " + RectText(ClientRect(window)),
              "the engine fills the control's client area after the container's layout", rects);

    ProgressWatch progress(window);
    HWND progress_window = progress.Window();
    checks.That(progress_window != nullptr && GetParent(progress_window) == window &&
                    !IsWindowVisible(progress_window),
                "start-up attaches the hidden progress window to the control's window");
    {
        EventLog log(engines, &progress);
        const TestPage page = ContentPage();
        const engine::PageScript script = page.Script();
        engine.QueuePage(&script);
        CheckRequest(checks, control);
        checks.That(WaitIdle(engine), "the page plays to its end");
        progress_window = progress.Window();
        checks.That(progress_window != nullptr && InsideClientArea(progress_window, window),
                    "the progress window lies inside the control's client area");
        CheckProgressEvents(checks, log, window);
    }
    CheckFrames(checks, engines, control, progress);
    control.Plugin().ClosePlugin();
}

}  // namespace kvt::wintest
