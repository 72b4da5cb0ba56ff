#pragma once
// TKvNewTavrix: the plug-in control's behaviour. The host drives it through the plug-in
// facade (plugin_facade.h); its browser reports events through BrowserEvents; the host's
// range object reports changes through its TDvRangeEvents.
//
// After ClosePlugin the control is closed for good: host calls, browser events, range
// changes and popup notifications that still arrive do nothing, so nothing touches the
// released host interfaces or the freed lists. Everything that calls back into the
// control from outside (browser, range listener, popups, resize) holds only a weak
// reference, so a control that has been destroyed is never reached.

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/call_result.h"
#include "base/string_list.h"
#include "base/text.h"
#include "browser/browser_port.h"
#include "control/host_ports.h"
#include "control/range_events.h"
#include "settings/kvtavrix_config.h"
#include "ui/control_form.h"
#include "ui/load_progress.h"
#include "ui/popup_port.h"

namespace kvt::control {

// What the back end provides for one control.
struct ControlPorts {
    std::shared_ptr<ui::ControlForm> form;
    std::shared_ptr<browser::Browser> browser;  // fills the form
    std::shared_ptr<ui::PopupFactory> popups;
    // The progress routines the control shares with the other controls of its thread (the
    // process's instance unless the back end or a test gives its own).
    ui::LoadProgress* progress = &ui::LoadProgress::Shared();
};

class TKvNewTavrix final : public browser::BrowserEvents,
                           public std::enable_shared_from_this<TKvNewTavrix> {
    struct Token {};

  public:
    // Raises Exception when a port is missing. Binds itself to the browser's events.
    static std::shared_ptr<TKvNewTavrix> Create(ControlPorts ports);
    TKvNewTavrix(Token, ControlPorts ports);
    ~TKvNewTavrix() override;

    // The host's calls; each raises on failure and stops at the failing step.
    void InitPlugin(const std::shared_ptr<host::ServiceObject>& service);
    void ClosePlugin();
    void ShowPlugin();
    void HidePlugin();
    WideString ExecCommand(std::u16string_view command);

    void BuildSectorLists();
    void SelectStoredPosition(const StringList& ids);
    void SaveSelection();
    void RequestContent();
    void RangesChanged();

    // Browser events; none raises.
    CallResult BeforeNavigate2(BeforeNavigate& event) override;
    CallResult NewWindow2(NewWindow& event) override;
    CallResult NavigateComplete2(const Variant& url) override;
    CallResult DocumentComplete(const Variant& url) override;
    CallResult ProgressChange(std::int32_t progress, std::int32_t progress_max) override;
    CallResult CommandStateChange(std::int32_t command, bool enable) override;

    // State as the host, the back end and tests see it.
    bool Closed() const { return closed_; }
    bool NeedReload() const { return need_reload_; }
    bool Hidden() const { return hidden_; }
    bool CanGoBack() const { return can_go_back_; }
    bool CanGoForward() const { return can_go_forward_; }
    bool HasPopup() const { return !popup_.expired(); }
    const AnsiString& ServerIP() const { return server_ip_; }
    const AnsiString& ContentURL() const { return content_url_; }
    const AnsiString& CurSectorID() const { return cur_sector_id_; }
    // Empty before start-up loaded the settings record.
    AnsiString LastSeleID() const;
    // nullptr before start-up and after shutdown.
    const StringList* SectorIDs() const { return sector_ids_.get(); }
    const StringList* SectorNames() const { return sector_names_.get(); }
    const TDvRangeEvents* RangeEvents() const { return range_events_.get(); }
    // The most recent failure of a browser event, resize or popup notification, which
    // never reach their callers as errors.
    const CallResult& LastEventError() const { return last_event_error_; }

  private:
    template <typename Body>
    CallResult OnEvent(Body&& body);

    host::Controller& Controller();
    host::Ranges& Ranges();
    settings::TKvTavrixConfig& Config();
    StringList& Ids();
    StringList& Names();

    void ControlResized(int width, int height);
    // Another control's close, or the death of the window's parent, leaves no shared
    // progress window: a new one is made inside this control. False when this control's own
    // window is gone, which leaves nowhere to show progress.
    bool ProgressInsideThisControl();
    bool RewriteRangeRef(Variant& url);
    void RunPageCommand(std::string_view url);
    void PopupClosed();

    ControlPorts ports_;
    std::shared_ptr<host::Controller> controller_;
    std::shared_ptr<host::Ranges> ranges_;
    std::unique_ptr<TDvRangeEvents> range_events_;
    std::unique_ptr<settings::TKvTavrixConfig> config_;
    AnsiString server_ip_;
    AnsiString content_url_;
    AnsiString cur_sector_id_;
    bool need_reload_ = false;
    bool hidden_ = false;
    std::weak_ptr<ui::PopupWindow> popup_;  // the newest popup; not owned
    std::unique_ptr<StringList> sector_ids_;
    std::unique_ptr<StringList> sector_names_;
    bool can_go_forward_ = false;
    bool can_go_back_ = false;
    bool settings_read_ = false;    // start-up read the stored record (or found none)
    bool selection_made_ = false;   // a page command chose a sector in this session
    bool closed_ = false;           // closing has begun: late calls and events are no-ops
    bool selection_saved_ = false;  // the close's save went through
    bool close_finished_ = false;   // every step of the close is done
    CallResult last_event_error_;
};

}  // namespace kvt::control
