// The host's history commands: ExecCommand("GOTOBACK") and ("GOTOPREV") move through the
// engine's history while the engine reports back and forward as enabled, and answer the
// empty reply otherwise.
#include <exdisp.h>
#include <exdispid.h>

#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

constexpr wchar_t kSecondPage[] = L"http://127.0.0.1:8080/news.aspx";

std::string LocationOf(IScriptedEngine& engine) {
    const auto browser = com::ComPtr<IScriptedEngine>(&engine).As<IWebBrowser2>();
    BSTR url = nullptr;
    if (!browser || FAILED(browser->get_LocationURL(&url))) {
        return "<no location>";
    }
    const std::string text = Utf8(std::wstring(url, SysStringLen(url)));
    SysFreeString(url);
    return text;
}

// The CommandStateChange events seen, as "<command>:<enable>".
std::string CommandStates(const EventLog& log) {
    std::string text;
    for (const SeenEvent& seen : log.Of(DISPID_COMMANDSTATECHANGE)) {
        text += (text.empty() ? "" : " ") + std::to_string(seen.event.first) + ":" +
                std::to_string(seen.event.second);
    }
    return text;
}

struct Step {
    const wchar_t* command;
    const char* reply;
    const char* engine_call;  // what the engine was asked; "" for nothing
    const char* location;     // where the engine is once it has played
    const char* states;       // CommandStateChange events it fired meanwhile
    const char* what;
};

}  // namespace

void CheckHistory(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: history");
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!checks.That(control.Ready(), "a control with its engine")) {
        return;
    }
    control.Start(kLayoutArea);
    IScriptedEngine& engine = control.Engine();
    checks.Equal(control.Exec(L"GOTOBACK"), "", "GOTOBACK before any page answers empty");
    checks.Equal(control.Exec(L"GOTOPREV"), "", "GOTOPREV before any page answers empty");

    EventLog log(engines, nullptr);
    TestPage first;
    first.title = L"行情 资讯";
    TestPage second;
    second.title = L"";
    const engine::PageScript first_script = first.Script();
    const engine::PageScript second_script = second.Script();
    engine.QueuePage(&first_script);
    control.Plugin().ShowPlugin();
    WaitIdle(engine);
    checks.Equal(CommandStates(log), "", "one page: the engine reports no history");
    checks.Equal(control.Exec(L"GOTOBACK"), "", "GOTOBACK after one page answers empty");

    engine.QueuePage(&second_script);
    engine.ClickLink(kSecondPage);
    WaitIdle(engine);
    checks.Equal(CommandStates(log), "2:1", "a second page: back is enabled");

    const std::string second_url = Utf8(kSecondPage);
    const std::string back_call = std::string("GoBack to ") + kContentUrl;
    const std::string forward_call = "GoForward to " + second_url;
    const Step steps[] = {
        {L"gotoback", "", "", second_url.c_str(), "", "the command in lower case is not known"},
        {L"GOTOBACK", "OK", back_call.c_str(), kContentUrl, "2:0 1:1",
         "GOTOBACK goes back to the first page"},
        {L"GOTOBACK", "", "", kContentUrl, "", "GOTOBACK at the first page answers empty"},
        {L"GOTOPREV", "OK", forward_call.c_str(), second_url.c_str(), "2:1 1:0",
         "GOTOPREV goes forward to the second page"},
        {L"GOTOPREV", "", "", second_url.c_str(), "", "GOTOPREV at the last page answers empty"},
    };
    for (const Step& step : steps) {
        log.Reset();
        const std::size_t before = RecordSize(engine);
        const std::string reply = control.Exec(step.command);
        const std::vector<std::string> calls = RecordOf(engine, before);
        WaitIdle(engine);
        const std::vector<std::string> history_calls = [&] {
            std::vector<std::string> found = Starting(calls, "GoBack");
            for (const std::string& call : Starting(calls, "GoForward")) {
                found.push_back(call);
            }
            return found;
        }();
        const std::vector<std::string> expected_calls =
            *step.engine_call == '\0' ? std::vector<std::string>()
                                      : std::vector<std::string>{step.engine_call};
        Explained(
            checks,
            reply == step.reply && history_calls == expected_calls &&
                LocationOf(engine) == step.location && CommandStates(log) == step.states,
            std::string(step.what) + " (reply \"" + reply + "\")",
            {"engine at " + LocationOf(engine), "command states \"" + CommandStates(log) + "\"",
             "history calls:" + Joined(history_calls)});
    }

    log.Reset();
    engine.ClickLink(L"zq://key/13");
    WaitIdle(engine);
    checks.That(control.Host().controller->HandledKeys() == std::vector<LONG>{13} &&
                    control.Exec(L"GOTOPREV").empty() && LocationOf(engine) == second_url,
                "a cancelled command link leaves the history as it was");
    control.Plugin().ClosePlugin();
}

}  // namespace kvt::wintest
