// What the control's engine learns from the control as its container: the UI options and
// download options it asks its site for, the script-error setting, the user-agent token,
// and the keys a container offers it.
#include <exdisp.h>
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
    if (!checks.That(control.Ready(), "a control with its engine")) {
        return;
    }
    control.Start(kLayoutArea);
    IScriptedEngine& engine = control.Engine();
    control.Plugin().ShowPlugin();
    WaitIdle(engine);
    HWND page = engine.InPlaceWindow();
    checks.That(page != nullptr && GetFocus() == page, "the loaded page has the keyboard focus");

    const std::size_t before = RecordSize(engine);
    MSG tab{page, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    HRESULT translated = E_FAIL;
    com::ComPtr<IOleInPlaceActiveObject> object;
    if (SUCCEEDED(control.Plugin().QueryInterface(IID_IOleInPlaceActiveObject, object.OutVoid()))) {
        translated = object->TranslateAccelerator(&tab);
    }
    checks.That(translated == S_OK || translated == S_FALSE,
                "the control's TranslateAccelerator answers");
    KnownFault(checks, !Starting(RecordOf(engine, before), "TranslateAccelerator ").empty(),
               "a Tab the container offers the control reaches the page's engine");
    control.Plugin().ClosePlugin();
}

}  // namespace kvt::wintest
