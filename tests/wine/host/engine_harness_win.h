#pragma once
// What the test host's engine sections share: the control embedded in a test window and
// started as the host terminal starts it, the scripted engine inside it (reached through
// the engine class's directory, see tests/wine/engine/scripted_engine.h), a watch on the
// engines' events, work posted into the message loop, and a watch on the load-progress
// window as the user sees it.

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/browser_site_win.h"
#include "checks_win.h"
#include "com/com_object_win.h"
#include "com/com_ptr_win.h"
#include "dravon.h"
#include "host_objects_win.h"
#include "scripted_engine.h"
#include "table_store_win.h"

namespace kvt::wintest {

using engine::EngineEvent;
using engine::IScriptedEngine;

// Generous: a hang guard, never a statement about speed.
inline constexpr DWORD kPlayWait = 20000;
// Longer than kPlayWait: a popup that nothing closes is closed after the wait gave up.
inline constexpr UINT kWatchdogTime = 30000;

// The content URL of every control the engine sections start.
inline constexpr char kContentUrl[] = "http://127.0.0.1:8080/tavrix2009/kplm.aspx?v=engine";

std::string Utf8(const std::wstring& text);

// A check whose failure also prints `detail` (the engine's record, say).
bool Explained(Checks& checks, bool holds, const std::string& what,
               const std::vector<std::string>& detail);

// Processes window messages until `done` or the time is up; answers `done`.
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds = kPlayWait);
bool WaitIdle(IScriptedEngine& engine, DWORD milliseconds = kPlayWait);

// The engine's record from line `from` on, as UTF-8.
std::vector<std::string> RecordOf(IScriptedEngine& engine, std::size_t from = 0);
std::size_t RecordSize(IScriptedEngine& engine);
// The lines that start with `prefix`.
std::vector<std::string> Starting(const std::vector<std::string>& lines, const std::string& prefix);
// The lines joined for a failure message.
std::string Joined(const std::vector<std::string>& lines);

// How the engine writes a window handle and a rectangle into its record, in UTF-8.
std::string WindowText(HWND window);
std::string RectText(const RECT& rect);
RECT ClientRect(HWND window);

// The engines' observer: each section installs the handlers it needs.
class EventWatch final : public com::ComObjectBase<engine::IEngineObserver> {
  public:
    using Handler = std::function<void(IScriptedEngine&, const EngineEvent&)>;

    void SetBefore(Handler handler) { before_ = std::move(handler); }
    void SetAfter(Handler handler) { after_ = std::move(handler); }
    void Clear() {
        before_ = nullptr;
        after_ = nullptr;
    }

    void STDMETHODCALLTYPE BeforeEvent(IScriptedEngine* engine, const EngineEvent* event) override;
    void STDMETHODCALLTYPE AfterEvent(IScriptedEngine* engine, const EngineEvent* event) override;

  private:
    Handler before_;
    Handler after_;
};

// The engine class's directory with the watch installed as its observer for as long as
// this lives.
class Engines {
  public:
    Engines();
    Engines(const Engines&) = delete;
    Engines& operator=(const Engines&) = delete;
    ~Engines();

    bool Ready() const { return static_cast<bool>(directory_); }
    ULONG Count() const;
    com::ComPtr<IScriptedEngine> At(ULONG index) const;
    com::ComPtr<IScriptedEngine> Newest() const;
    EventWatch& Watch() { return *watch_.Get(); }
    // Engines created from now on fail `call` with `hr` (IEngineDirectory::FailInNewEngines);
    // S_OK stops that.
    HRESULT FailInNewEngines(const wchar_t* call, HRESULT hr);

  private:
    com::ComPtr<engine::IEngineDirectory> directory_;
    com::ComPtr<EventWatch> watch_;
};

// Clears the watch's handlers when a section is done with them.
class WatchScope {
  public:
    explicit WatchScope(EventWatch& watch) : watch_(watch) {}
    WatchScope(const WatchScope&) = delete;
    WatchScope& operator=(const WatchScope&) = delete;
    ~WatchScope() { watch_.Clear(); }

  private:
    EventWatch& watch_;
};

// Work posted to this thread's queue: it runs when a message loop dispatches it, the test's
// own or a nested message pass inside the control.
class PostedWork {
  public:
    PostedWork();
    PostedWork(const PostedWork&) = delete;
    PostedWork& operator=(const PostedWork&) = delete;
    ~PostedWork();

    void Post(std::function<void()> work);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    HWND window_ = nullptr;
    std::deque<std::function<void()>> work_;
};

// The load-progress window inside a control's window. Every time the window paints itself,
// the bar's filled width is read from the screen, so a state shown only briefly (100 %
// before the window hides) is seen as well.
class ProgressWatch {
  public:
    explicit ProgressWatch(HWND control_window) : control_(control_window) {}
    ProgressWatch(const ProgressWatch&) = delete;
    ProgressWatch& operator=(const ProgressWatch&) = delete;
    ~ProgressWatch();

    // Follows the window as it is now (the process's one window may have been re-created).
    HWND Window();
    bool Visible();
    // The widths read after each painting since the last call.
    std::vector<int> TakePaints();

  private:
    static LRESULT CALLBACK Hook(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void Attach(HWND window);
    void Detach();

    HWND control_;
    HWND hooked_ = nullptr;
    WNDPROC original_ = nullptr;
    std::vector<int> paints_;
};

// The filled width of the bar for a percentage, in pixels (an inner width of 172).
int FillFor(int percent);

// The host terminal's side for one control: sector tree, database, service object.
struct TestHost {
    com::ComPtr<TestRanges> ranges;
    std::shared_ptr<TableStore> store;
    com::ComPtr<TestController> controller;
};

// The control created by its ProgID, embedded in place in `container` at `area` as a
// container does, with the scripted engine it created.
class EmbeddedControl {
  public:
    EmbeddedControl(Engines& engines, HWND container, const RECT& area);
    EmbeddedControl(const EmbeddedControl&) = delete;
    EmbeddedControl& operator=(const EmbeddedControl&) = delete;
    ~EmbeddedControl() { Release(); }

    bool Ready() const { return plugin_ && engine_; }
    // InitPlugin with the host's service object, then the container lays the control out
    // at `area` (its first resize after start-up).
    HRESULT Start(const RECT& area);
    IDvPlugin& Plugin() { return *plugin_.Get(); }
    IScriptedEngine& Engine() { return *engine_.Get(); }
    const com::ComPtr<IScriptedEngine>& EngineReference() const { return engine_; }
    HWND Window() const { return window_; }
    TestHost& Host() { return host_; }
    // The container's site, which is also its frame: what the control names as its active
    // object when it becomes UI-active is offered the container's keyboard messages here.
    browser::BrowserSite& Site() { return *site_.Get(); }
    // DoVerb(OLEIVERB_UIACTIVATE), as a container does when the user clicks into the control.
    HRESULT UIActivate(const RECT& area);
    // ExecCommand's reply, "<HRESULT>" when it fails.
    std::string Exec(const wchar_t* command);

    // Deactivates and closes the control and lets go of every reference to it; the engine
    // reference stays.
    void Release();

  private:
    com::ComPtr<IUnknown> control_;
    com::ComPtr<IDvPlugin> plugin_;
    com::ComPtr<browser::BrowserSite> site_;
    com::ComPtr<IScriptedEngine> engine_;
    HWND window_ = nullptr;
    TestHost host_;
};

// The usual start of a section: a control with its engine, started (InitPlugin and the
// container's layout) and its first page shown and played to the end. False, with a failed
// check, when the control has no engine.
bool StartedWithFirstPage(Checks& checks, EmbeddedControl& control);

// What the test saw of one event, right after the event returned to the engine.
struct SeenEvent {
    ULONG engine = 0;  // the engine's serial
    EngineEvent event;
    std::string text;
    bool progress_visible = false;
    std::vector<int> paints;          // the progress bar's fill at each painting during the event
    bool pass_ran = false;            // work posted just before the event ran inside it
    std::vector<std::string> record;  // what the engine recorded while the event ran
};

// Watches every event of every engine: before an event it posts a probe to the message
// queue, which can only run inside the event if a handler runs a message pass; after it,
// it notes what the control did. Optional handlers run before and after each event.
class EventLog {
  public:
    EventLog(Engines& engines, ProgressWatch* progress);
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;
    ~EventLog();

    void SetBefore(EventWatch::Handler handler) { before_ = std::move(handler); }
    void SetAfter(EventWatch::Handler handler) { after_ = std::move(handler); }
    const std::vector<SeenEvent>& Events() const { return seen_; }
    // Forgets the events seen so far.
    void Reset() { seen_.clear(); }
    // The events of one kind, in order.
    std::vector<SeenEvent> Of(DISPID id) const;
    PostedWork& Work() { return work_; }
    // Whether an event is being fired right now.
    bool Inside() const { return !running_.empty(); }

  private:
    struct Running {
        int sequence;
        std::size_t record_start;
        bool pass_ran;
    };
    void Before(IScriptedEngine& engine, const EngineEvent& event);
    void After(IScriptedEngine& engine, const EngineEvent& event);

    EventWatch& watch_;
    ProgressWatch* progress_;
    PostedWork work_;
    EventWatch::Handler before_;
    EventWatch::Handler after_;
    std::vector<Running> running_;
    std::vector<SeenEvent> seen_;
    int sequence_ = 0;
};

// The window class of the control's popups.
inline constexpr wchar_t kPopupClass[] = L"KvNewTavrixPopup";

// The popup windows that exist now.
std::vector<HWND> PopupWindows();

// The top-level window that holds an engine's in-place window: a popup's engine is in
// place in its popup's window.
HWND TopWindowOf(IScriptedEngine& engine);

// The top-level windows of this thread (message-only windows are not listed).
std::vector<HWND> ThreadWindows();

// A hang guard for the popups' modal loops, never a statement about speed: while it lives,
// every popup is asked to close once the time is up, and Fired() says it had to.
class PopupWatchdog {
  public:
    PopupWatchdog();
    PopupWatchdog(const PopupWatchdog&) = delete;
    PopupWatchdog& operator=(const PopupWatchdog&) = delete;
    ~PopupWatchdog();

    bool Fired() const { return fired_; }

  private:
    static void CALLBACK Fire(HWND, UINT, UINT_PTR timer, DWORD);

    static inline bool fired_ = false;
    UINT_PTR timer_;
};

// A page whose steps live in the object: hand `Script()` to the engine.
struct TestPage {
    std::wstring title;
    bool html = true;
    unsigned frames = 0;
    std::vector<engine::ProgressStep> before{{0, 0}};
    std::vector<engine::ProgressStep> after{{100, 100}};
    std::vector<engine::ProgressStep> after_complete{{-1, 100}};
    bool wait_until_shown = false;

    engine::PageScript Script() const;
};

}  // namespace kvt::wintest
