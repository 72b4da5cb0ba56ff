// Links the page clicks, as the engine reports them in BeforeNavigate2: the control cancels
// its commands and acts on them inside the event, navigating the engine again where the
// command asks for it, and lets other links through.
#include <exdispid.h>

#include <cstdio>

#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

struct Case {
    const char* what;
    const wchar_t* link;
    bool cancelled;
    const char* navigate;  // the Navigate call made inside the event; "" for none
    std::vector<LONG> keys;
    std::size_t modules;
    bool focused;  // the page got the focus inside the event
};

std::string Request(const std::string& body) {
    return std::string("Navigate url=") + kContentUrl +
           " flags=empty target=empty post=UI1[]:" + body +
           " headers=BSTR:Content-Type: application/x-www-form-urlencoded\\n\\r";
}

}  // namespace

void CheckCommands(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: page commands");
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!StartedWithFirstPage(checks, control)) {
        return;
    }
    IScriptedEngine& engine = control.Engine();

    const std::string refresh =
        Request("SelID=1&Range=0X1A2B&SectorList=Big+Bank%3B101%2CSteel%3B102%2C");
    const std::string selected =
        Request("SelID=0&Range=0X0001&SectorList=Big+Bank%3B101%2CSteel%3B102%2C");
    const Case cases[] = {
        {"zq://key/13 is cancelled and hands 13 to the host",
         L"zq://key/13",
         true,
         "",
         {13},
         0,
         false},
        {"zq://calluds is cancelled, opens the host's range module and focuses the page",
         L"zq://calluds",
         true,
         "",
         {},
         1,
         true},
        {"zq://other/1 is let through and does nothing", L"zq://other/1", false, "", {}, 0, false},
        {"rid{102} and rid{101} are cancelled and navigated again with 0X1A2B for both, inside "
         "the event",
         L"http://127.0.0.1:8080/page.aspx?r=rid{102}&s=rid{101}",
         true,
         "Navigate url=http://127.0.0.1:8080/page.aspx?r=0X1A2B&s=0X1A2B flags=empty "
         "target=empty post=empty headers=empty",
         {},
         0,
         false},
        {"a web link carrying zq://refresh is cancelled and posts the request again, inside the "
         "event",
         L"http://127.0.0.1:8080/page.aspx?next=zq://refresh",
         true,
         refresh.c_str(),
         {},
         0,
         false},
        {"zq://SelectID/101/0 is cancelled and posts the request for sector 101 at position 0, "
         "inside the event",
         L"zq://SelectID/101/0",
         true,
         selected.c_str(),
         {},
         0,
         false},
    };
    for (const Case& c : cases) {
        EventLog log(engines, nullptr);
        TestHost& host = control.Host();
        const std::size_t keys_before = host.controller->HandledKeys().size();
        const std::size_t modules_before = host.controller->OpenedModules().size();
        engine.ClickLink(c.link);
        WaitIdle(engine);
        const std::vector<SeenEvent> navigations = log.Of(DISPID_BEFORENAVIGATE2);
        if (navigations.empty()) {
            checks.That(false, std::string(c.what) + ": the link reaches BeforeNavigate2");
            continue;
        }
        const SeenEvent& click = navigations.front();
        const std::vector<std::string> requests = Starting(click.record, "Navigate ");
        const std::vector<LONG> keys(
            host.controller->HandledKeys().begin() + static_cast<std::ptrdiff_t>(keys_before),
            host.controller->HandledKeys().end());
        const bool focused = !Starting(click.record, "DoVerb -4 ").empty();
        Explained(checks,
                  click.event.cancelled == c.cancelled &&
                      requests == (*c.navigate == '\0' ? std::vector<std::string>()
                                                       : std::vector<std::string>{c.navigate}) &&
                      keys == c.keys &&
                      host.controller->OpenedModules().size() - modules_before == c.modules &&
                      focused == c.focused,
                  c.what, click.record);
    }
    control.Plugin().ClosePlugin();
}

}  // namespace kvt::wintest
