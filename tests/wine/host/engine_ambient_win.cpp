// What the control's engine learns from the control as its container: the UI options and
// download options it asks its site for, the script-error setting, the user-agent token,
// and the keys a container, or a popup's modal loop, offers it.
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& prefix) {
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (lines[index].starts_with(prefix)) {
            return index;
        }
    }
    return lines.size();
}

}  // namespace

void CheckAmbient(Checks& checks, Engines& engines, HWND main_window) {
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!checks.That(control.Ready(),
                     "creating the control creates a scripted engine in the WebBrowser's place")) {
        return;
    }
    checks.Section("engine: ambient");
    checks.Equal(control.Start(kLayoutArea), S_OK, "InitPlugin");
    IScriptedEngine& engine = control.Engine();
    const std::vector<std::string> record = RecordOf(engine);
    Explained(checks, IndexOf(record, "SetClientSite site") < IndexOf(record, "DoVerb -5 "),
              "the engine gets its client site before it is activated in place", record);

    const std::string host_info = " hr=0x0 cbSize=" + std::to_string(sizeof(DOCHOSTUIINFO)) +
                                  " flags=0x4 doubleclick=0 css=null ns=null";
    checks.Equal(Joined(Starting(record, "HostInfo ")),
                 Joined({"HostInfo SetClientSite" + host_info, "HostInfo DoVerb" + host_info}),
                 "GetHostInfo answers DOCHOSTUIFLAG_NO3DBORDER with the structure's size, "
                 "when the site is set and at activation");
    const std::string download = " DLCONTROL hr=0x0 vt=3 value=0x70";
    checks.Equal(Joined(Starting(record, "Ambient ")),
                 Joined({"Ambient SetClientSite" + download, "Ambient DoVerb" + download}),
                 "the site's ambient DLCONTROL is images, videos and background sounds (0x70)");

    VARIANT_BOOL silent = VARIANT_FALSE;
    const auto browser = control.EngineReference().As<IWebBrowser2>();
    checks.That(!Starting(record, "put_Silent -1").empty() && browser &&
                    browser->get_Silent(&silent) == S_OK && silent == VARIANT_TRUE,
                "script errors are kept silent (put_Silent(VARIANT_TRUE))");

    const std::size_t before = RecordSize(engine);
    checks.Equal(control.Plugin().ShowPlugin(), S_OK, "ShowPlugin");
    WaitIdle(engine);
    const std::vector<std::string> agent = Starting(RecordOf(engine, before), "UserAgent tokens=");
    Explained(checks, agent.size() == 1 && agent[0].find("KvNewTavrixWB/1.0") != std::string::npos,
              "the engine's User-Agent carries the token KvNewTavrixWB/1.0 when it navigates",
              agent);
    control.Plugin().ClosePlugin();
}

// A container offers keyboard messages to the in-place active object's TranslateAccelerator
// before dispatching them; a control whose page is a browser hands them on, or the page
// never sees Tab, Ctrl+C and the other accelerators.
void CheckKeyboard(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: keyboard");
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!StartedWithFirstPage(checks, control)) {
        return;
    }
    IScriptedEngine& engine = control.Engine();
    HWND page = engine.InPlaceWindow();
    checks.That(page != nullptr && GetFocus() == page, "the loaded page has the keyboard focus");

    // The user clicks into the control: the container UI-activates it, and the control
    // names itself to the container's frame as the object to offer keys to.
    checks.Equal(control.UIActivate(kLayoutArea), S_OK, "DoVerb(OLEIVERB_UIACTIVATE)");
    struct Key {
        const char* name;
        UINT message;
        WPARAM key;
    };
    const Key keys[] = {{"Tab", WM_KEYDOWN, VK_TAB},
                        {"Ctrl+C", WM_KEYDOWN, 'C'},
                        {"Delete", WM_KEYDOWN, VK_DELETE}};
    for (const Key& key : keys) {
        const std::size_t before = RecordSize(engine);
        MSG message{page, key.message, key.key, 0, 0, {0, 0}};
        control.Site().OfferAccelerator(message);
        const std::string expected = "TranslateAccelerator message=0x100 key=" +
                                     std::to_string(static_cast<unsigned long long>(key.key));
        const auto offered = Starting(RecordOf(engine, before), "TranslateAccelerator ");
        checks.That(offered.size() == 1 && offered[0] == expected,
                    std::string(key.name) +
                        " offered through the container's frame reaches the page's engine");
    }

    // A popup runs its own modal loop, which plays the container's part: a container's
    // message loop offers keyboard messages to the UI-active object's
    // IOleInPlaceActiveObject::TranslateAccelerator before translating and dispatching them,
    // so the keys that arrive for the popup's page reach the popup's engine.
    EventLog log(engines, nullptr);
    const std::size_t control_start = RecordSize(engine);
    bool offered_read = false;
    std::vector<std::string> offered_to_popup;
    log.SetAfter([&](IScriptedEngine& popup_engine, const EngineEvent& event) {
        if (event.id != DISPID_NAVIGATECOMPLETE2 || !event.top ||
            popup_engine.Serial() == engine.Serial()) {
            return;
        }
        const std::size_t start = RecordSize(popup_engine);
        for (const Key& key : keys) {
            PostMessageW(popup_engine.InPlaceWindow(), key.message, key.key, 0);
        }
        // Posted after the keys, so it runs once the loop has taken them.
        const com::ComPtr<IScriptedEngine> keep(&popup_engine);
        const HWND popup = TopWindowOf(popup_engine);
        log.Work().Post([&, keep, start, popup] {
            offered_to_popup =
                Starting(RecordOf(*keep.Get(), start), "TranslateAccelerator message=0x100 ");
            offered_read = true;
            PostMessageW(popup, WM_CLOSE, 0, 0);
        });
    });
    TestPage popup_page;
    popup_page.title = L"行情";
    popup_page.wait_until_shown = true;
    const engine::PageScript script = popup_page.Script();
    {
        const PopupWatchdog watchdog;
        engine.OpenWindow(L"http://127.0.0.1:8080/popup.aspx", &script);
        WaitUntil([&] { return offered_read && PopupWindows().empty() && engine.Idle() == S_OK; });
    }
    std::vector<std::string> expected;
    for (const Key& key : keys) {
        expected.push_back("TranslateAccelerator message=0x100 key=" +
                           std::to_string(static_cast<unsigned long long>(key.key)));
    }
    checks.Equal(Joined(offered_to_popup), Joined(expected),
                 "Tab, Ctrl+C and Delete posted to a popup's page while its modal loop runs are "
                 "offered to the popup's own engine");
    checks.That(Starting(RecordOf(engine, control_start), "TranslateAccelerator ").empty(),
                "none of them is offered to the control's engine");
    control.Plugin().ClosePlugin();
}

}  // namespace kvt::wintest
