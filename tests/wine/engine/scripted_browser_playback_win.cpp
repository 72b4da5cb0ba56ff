// The scripted engine's life and its playback: page loads queued as steps and played one
// event per message posted to the engine's own window, on the thread's message loop, as the
// WebBrowser control delivers its events from tasks posted to its window (Wine's ieframe
// does the same); never from inside the call that started the navigation. Each event's
// arguments have the shapes the WebBrowser control gives them.
#include <exdispid.h>

#include <algorithm>

#include "html_document_win.h"
#include "record_format.h"
#include "scripted_browser_win.h"
#include "ui/window_class_win.h"

namespace kvt::engine {

namespace {

constexpr wchar_t kTaskClass[] = L"KvtScriptedEngineTasks";
constexpr UINT kPlayMessage = WM_APP + 1;
constexpr UINT_PTR kWaitTimer = 1;
constexpr UINT kWaitInterval = 20;  // how often a waiting load looks at its window

// One argument slot of an event: VT_BYREF|VT_VARIANT referring to `value`.
void ByReference(VARIANTARG& slot, VARIANT& value) {
    V_VT(&slot) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&slot) = &value;
}

void SetText(VARIANT& value, const std::wstring& text) {
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

SAFEARRAY* ByteArray(const std::vector<BYTE>& bytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    void* data = nullptr;
    if (array != nullptr && !bytes.empty() && SUCCEEDED(SafeArrayAccessData(array, &data))) {
        std::copy(bytes.begin(), bytes.end(), static_cast<BYTE*>(data));
        SafeArrayUnaccessData(array);
    }
    return array;
}

std::wstring Where(int frame) {
    return frame < 0 ? L"top" : L"frame " + std::to_wstring(frame);
}

}  // namespace

com::ComPtr<ScriptedBrowser> ScriptedBrowser::CreateTop() {
    return com::ComPtr<ScriptedBrowser>::Adopt(new ScriptedBrowser(Role::Top, {}));
}

ScriptedBrowser::ScriptedBrowser(Role role, std::wstring url)
    : role_(role), location_url_(std::move(url)) {
    if (role_ == Role::Top) {
        serial_ = EngineDirectory::Instance().NextSerial();
        point_ = com::MakeComObject<EventPoint>(static_cast<IConnectionPointContainer*>(this),
                                                [this](const wchar_t* line) { Record(line); });
        EnsureTaskWindow();
        EngineDirectory::Instance().Add(this);
    }
}

ScriptedBrowser::~ScriptedBrowser() {
    if (tasks_ != nullptr) {
        ui::ReleaseWindowObject(tasks_);
        DestroyWindow(tasks_);
    }
    DestroyInPlaceWindow();
    if (point_) {
        point_->Cut();
    }
    if (role_ == Role::Top) {
        EngineDirectory::Instance().Remove(this);
    }
}

void* ScriptedBrowser::AnswerDynamic(REFIID iid) {
    return iid == kScriptedBrowserId ? static_cast<void*>(this) : nullptr;
}

void ScriptedBrowser::Record(std::wstring line) {
    record_.push_back(std::move(line));
}

void ScriptedBrowser::EnsureTaskWindow() {
    ui::RegisterWindowClassOnce(ui::ThisModule(), kTaskClass, TaskWindowProc);
    tasks_ = CreateWindowExW(0, kTaskClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             ui::ThisModule(), this);
}

LRESULT CALLBACK ScriptedBrowser::TaskWindowProc(HWND window, UINT message, WPARAM wparam,
                                                 LPARAM lparam) {
    auto* const self = ui::WindowObject<ScriptedBrowser>(window, message, lparam);
    if (self != nullptr && message == kPlayMessage) {
        self->Play();
        return 0;
    }
    if (self != nullptr && message == WM_TIMER && wparam == kWaitTimer) {
        KillTimer(window, kWaitTimer);
        self->waiting_ = false;
        self->Schedule();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

HRESULT ScriptedBrowser::QueuePage(const PageScript* page) {
    if (page == nullptr) {
        return E_POINTER;
    }
    pages_.push_back(PageFrom(*page));
    return S_OK;
}

HRESULT ScriptedBrowser::ClickLink(const wchar_t* url) {
    if (url == nullptr) {
        return E_POINTER;
    }
    Record(L"page clicks a link to " + Escaped(url));
    StartLoad(Origin::Link, url, NextPage());
    return S_OK;
}

HRESULT ScriptedBrowser::OpenWindow(const wchar_t* url, const PageScript* page) {
    if (url == nullptr) {
        return E_POINTER;
    }
    Record(L"page asks for a new window for " + Escaped(url));
    auto request = std::make_shared<Navigation>();
    request->id = next_load_id_++;
    request->origin = Origin::NewWindowRequest;
    request->url = url;
    request->page = page != nullptr ? PageFrom(*page) : Page{};
    queue_.push_back({request, {StepKind::NewWindow}});
    Schedule();
    return S_OK;
}

HRESULT ScriptedBrowser::Idle() {
    return queue_.empty() && firing_ == 0 ? S_OK : S_FALSE;
}

HRESULT ScriptedBrowser::RecordLine(ULONG index, BSTR* line) {
    if (line == nullptr) {
        return E_POINTER;
    }
    *line = nullptr;
    if (index >= record_.size()) {
        return S_FALSE;
    }
    const std::wstring& text = record_[index];
    *line = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return S_OK;
}

Page ScriptedBrowser::NextPage() {
    if (pages_.empty()) {
        return Page{};
    }
    Page page = std::move(pages_.front());
    pages_.pop_front();
    return page;
}

// A new navigation replaces the one in progress, whose remaining events never fire, as a
// browser abandons a page it was loading; a page's request for a new window stays queued.
void ScriptedBrowser::StartLoad(Origin origin, std::wstring url, Page page,
                                std::vector<BYTE> post_data, bool has_post_data,
                                std::wstring headers) {
    const auto superseded = std::erase_if(queue_, [](const Queued& queued) {
        return queued.load->origin != Origin::NewWindowRequest;
    });
    if (superseded > 0) {
        Record(L"the load in progress is abandoned (" + std::to_wstring(superseded) +
               L" event(s) not played)");
    }
    auto load = std::make_shared<Navigation>();
    load->id = next_load_id_++;
    load->origin = origin;
    load->url = std::move(url);
    load->page = std::move(page);
    load->post_data = std::move(post_data);
    load->has_post_data = has_post_data;
    load->headers = std::move(headers);
    for (const Step& step : LoadSteps(load->page)) {
        queue_.push_back({load, step});
    }
    Schedule();
}

void ScriptedBrowser::DropSteps(int load_id, int frame) {
    std::erase_if(queue_, [&](const Queued& queued) {
        return queued.load->id == load_id && (frame < 0 || queued.step.frame == frame);
    });
}

std::size_t ScriptedBrowser::DropAllSteps() {
    const std::size_t dropped = queue_.size();
    queue_.clear();
    if (waiting_ && tasks_ != nullptr) {
        KillTimer(tasks_, kWaitTimer);
    }
    waiting_ = false;
    return dropped;
}

void ScriptedBrowser::Schedule() {
    if (!posted_ && !waiting_ && !queue_.empty() && tasks_ != nullptr) {
        posted_ = PostMessageW(tasks_, kPlayMessage, 0, 0) != FALSE;
    }
}

// One event per message, and never one inside another: a handler that runs a message loop
// while it handles an event lets other messages through, but the next event waits until
// the current one has returned.
void ScriptedBrowser::Play() {
    posted_ = false;
    if (firing_ > 0) {
        return;  // scheduled again once the event on the stack returns
    }
    const com::ComPtr<ScriptedBrowser> keep(this);
    PlayOne();
    Schedule();
}

bool ScriptedBrowser::PlayOne() {
    while (!queue_.empty()) {
        if (queue_.front().step.wait_until_shown &&
            (window_ == nullptr || !IsWindowVisible(window_))) {
            if (!waiting_) {
                waiting_ = true;
                Record(L"the load waits until the engine's window is shown");
                SetTimer(tasks_, kWaitTimer, kWaitInterval, nullptr);
            }
            return false;
        }
        const Queued queued = queue_.front();
        queue_.pop_front();
        if (Run(queued)) {
            return true;
        }
    }
    return false;
}

bool ScriptedBrowser::Run(const Queued& queued) {
    const Navigation& load = *queued.load;
    const Step& step = queued.step;
    switch (step.kind) {
        case StepKind::BeforeNavigate:
            if (FireBeforeNavigate(load, step.frame)) {
                DropSteps(load.id, step.frame);
            }
            return true;
        case StepKind::DownloadBegin:
            FireWithoutArguments(DISPID_DOWNLOADBEGIN);
            return true;
        case StepKind::Progress:
            FireProgress(step.progress);
            return true;
        case StepKind::NavigateComplete:
            if (step.frame < 0) {
                Commit(load);
            }
            FireComplete(DISPID_NAVIGATECOMPLETE2, load, step.frame);
            return true;
        case StepKind::CommandStateBack:
            return FireCommandState(CSC_NAVIGATEBACK, history_.CanGoBack(), reported_back_);
        case StepKind::CommandStateForward:
            return FireCommandState(CSC_NAVIGATEFORWARD, history_.CanGoForward(),
                                    reported_forward_);
        case StepKind::TitleChange:
            FireTitleChange(load.page.title.value_or(L""));
            return true;
        case StepKind::DocumentComplete:
            FireComplete(DISPID_DOCUMENTCOMPLETE, load, step.frame);
            return true;
        case StepKind::DownloadComplete:
            FireWithoutArguments(DISPID_DOWNLOADCOMPLETE);
            return true;
        case StepKind::NewWindow:
            FireNewWindow(load);
            return true;
    }
    return false;
}

// The navigation has its document: the history list, the location and the frames follow.
void ScriptedBrowser::Commit(const Navigation& load) {
    const History::Move move = load.origin == Origin::Back      ? History::Move::Back
                               : load.origin == Origin::Forward ? History::Move::Forward
                                                                : History::Move::New;
    history_.Commit({load.url, load.page}, move);
    location_url_ = load.url;
    location_name_ = load.page.title.value_or(load.url);
    if (load.page.title) {
        document_ = com::MakeComObject<HtmlDocument>(*load.page.title).As<IDispatch>();
    } else {
        document_ = com::MakeComObject<OtherDocument>().As<IDispatch>();
    }
    frames_.clear();
    for (int frame = 0; frame < static_cast<int>(load.page.frames); ++frame) {
        frames_.push_back(com::ComPtr<ScriptedBrowser>::Adopt(
            new ScriptedBrowser(Role::Frame, FrameUrl(load, frame))));
    }
}

IDispatch* ScriptedBrowser::FrameDispatch(int frame) {
    if (frame < 0 || frame >= static_cast<int>(frames_.size())) {
        return Dispatch();
    }
    return frames_[static_cast<std::size_t>(frame)]->Dispatch();
}

std::wstring ScriptedBrowser::FrameUrl(const Navigation& load, int frame) const {
    return frame < 0 ? load.url : load.url + L"#frame" + std::to_wstring(frame);
}

void ScriptedBrowser::Fire(EngineEvent& event, DISPPARAMS& parameters, const VARIANT_BOOL* cancel) {
    // A handler may let go of the engine or of the container's last reference to it.
    const com::ComPtr<ScriptedBrowser> keep(this);
    const com::ComPtr<EventPoint> point = point_;
    const com::ComPtr<IEngineObserver> observer = EngineDirectory::Instance().Observer();
    ++firing_;
    if (observer) {
        observer->BeforeEvent(this, &event);
    }
    if (point) {
        point->Fire(event.id, parameters);
    }
    event.cancelled = cancel != nullptr && *cancel != VARIANT_FALSE;
    if (observer) {
        observer->AfterEvent(this, &event);
    }
    --firing_;
}

// BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel): every
// argument but pDisp and Cancel is a VARIANT reference, PostData a reference to a
// reference to the bytes, as the WebBrowser control passes them. Answers whether a handler
// cancelled.
bool ScriptedBrowser::FireBeforeNavigate(const Navigation& load, int frame) {
    const std::wstring url = FrameUrl(load, frame);
    VARIANT url_value;
    VARIANT flags;
    VARIANT frame_name;
    VARIANT bytes;
    VARIANT post_data;
    VARIANT headers;
    SetText(url_value, url);
    V_VT(&flags) = VT_I4;
    V_I4(&flags) = 0;
    V_VT(&frame_name) = VT_BSTR;
    V_BSTR(&frame_name) =
        frame < 0 ? nullptr : SysAllocString((L"frame" + std::to_wstring(frame)).c_str());
    VariantInit(&bytes);
    if (frame < 0 && load.has_post_data) {
        V_VT(&bytes) = VT_ARRAY | VT_UI1;
        V_ARRAY(&bytes) = ByteArray(load.post_data);
    }
    ByReference(post_data, bytes);
    VariantInit(&headers);
    if (frame < 0 && !load.headers.empty()) {
        SetText(headers, load.headers);
    }
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG arguments[7];
    V_VT(&arguments[0]) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&arguments[0]) = &cancel;
    ByReference(arguments[1], headers);
    ByReference(arguments[2], post_data);
    ByReference(arguments[3], frame_name);
    ByReference(arguments[4], flags);
    ByReference(arguments[5], url_value);
    V_VT(&arguments[6]) = VT_DISPATCH;
    V_DISPATCH(&arguments[6]) = FrameDispatch(frame);
    DISPPARAMS parameters{arguments, nullptr, 7, 0};

    Record(L"event BeforeNavigate2 " + Where(frame) + L" url=" + Escaped(url));
    EngineEvent event{DISPID_BEFORENAVIGATE2, frame < 0, 0, 0, url.c_str()};
    Fire(event, parameters, &cancel);
    if (event.cancelled) {
        Record(L"event BeforeNavigate2 " + Where(frame) + L" cancelled");
    }
    VariantClear(&url_value);
    VariantClear(&frame_name);
    VariantClear(&bytes);
    VariantClear(&headers);
    return event.cancelled;
}

// NavigateComplete2 and DocumentComplete (pDisp, URL): pDisp the browser of the frame or of
// the top document, the URL a VARIANT reference.
void ScriptedBrowser::FireComplete(DISPID id, const Navigation& load, int frame) {
    const std::wstring url = FrameUrl(load, frame);
    VARIANT url_value;
    SetText(url_value, url);
    VARIANTARG arguments[2];
    ByReference(arguments[0], url_value);
    V_VT(&arguments[1]) = VT_DISPATCH;
    V_DISPATCH(&arguments[1]) = FrameDispatch(frame);
    DISPPARAMS parameters{arguments, nullptr, 2, 0};
    Record(std::wstring(id == DISPID_NAVIGATECOMPLETE2 ? L"event NavigateComplete2 "
                                                       : L"event DocumentComplete ") +
           Where(frame) + L" url=" + Escaped(url));
    EngineEvent event{id, frame < 0, 0, 0, url.c_str()};
    Fire(event, parameters, nullptr);
    VariantClear(&url_value);
}

// ProgressChange(Progress, ProgressMax), both VT_I4.
void ScriptedBrowser::FireProgress(const ProgressStep& progress) {
    VARIANTARG arguments[2];
    V_VT(&arguments[0]) = VT_I4;
    V_I4(&arguments[0]) = progress.progress_max;
    V_VT(&arguments[1]) = VT_I4;
    V_I4(&arguments[1]) = progress.progress;
    DISPPARAMS parameters{arguments, nullptr, 2, 0};
    Record(L"event ProgressChange " + std::to_wstring(progress.progress) + L"/" +
           std::to_wstring(progress.progress_max));
    EngineEvent event{DISPID_PROGRESSCHANGE, true, progress.progress, progress.progress_max};
    Fire(event, parameters, nullptr);
}

// CommandStateChange(Command, Enable) fires when the enabled state of back or forward
// changes; answers whether it did.
bool ScriptedBrowser::FireCommandState(LONG command, bool enabled, bool& reported) {
    if (enabled == reported) {
        return false;
    }
    reported = enabled;
    VARIANTARG arguments[2];
    V_VT(&arguments[0]) = VT_BOOL;
    V_BOOL(&arguments[0]) = enabled ? VARIANT_TRUE : VARIANT_FALSE;
    V_VT(&arguments[1]) = VT_I4;
    V_I4(&arguments[1]) = command;
    DISPPARAMS parameters{arguments, nullptr, 2, 0};
    Record(L"event CommandStateChange " + std::to_wstring(command) + L" " +
           (enabled ? L"enabled" : L"disabled"));
    EngineEvent event{DISPID_COMMANDSTATECHANGE, true, command, enabled ? 1 : 0};
    Fire(event, parameters, nullptr);
    return true;
}

void ScriptedBrowser::FireTitleChange(const std::wstring& title) {
    VARIANTARG arguments[1];
    SetText(arguments[0], title);
    DISPPARAMS parameters{arguments, nullptr, 1, 0};
    Record(L"event TitleChange \"" + Escaped(title) + L"\"");
    EngineEvent event{DISPID_TITLECHANGE, true, 0, 0, title.c_str()};
    Fire(event, parameters, nullptr);
    VariantClear(&arguments[0]);
}

void ScriptedBrowser::FireWithoutArguments(DISPID id) {
    DISPPARAMS parameters{nullptr, nullptr, 0, 0};
    Record(id == DISPID_DOWNLOADBEGIN ? L"event DownloadBegin" : L"event DownloadComplete");
    EngineEvent event{id};
    Fire(event, parameters, nullptr);
}

// NewWindow2(ppDisp, Cancel), both by reference, as documented: a handler that sets Cancel
// blocks the new window; one that hands back a hidden browser in ppDisp gets the new page
// loaded there, starting with BeforeNavigate2 in that browser; with neither the engine
// would open a top-level window of its own.
void ScriptedBrowser::FireNewWindow(const Navigation& load) {
    IDispatch* window = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG arguments[2];
    V_VT(&arguments[0]) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&arguments[0]) = &cancel;
    V_VT(&arguments[1]) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&arguments[1]) = &window;
    DISPPARAMS parameters{arguments, nullptr, 2, 0};
    Record(L"event NewWindow2 for " + Escaped(load.url));
    EngineEvent event{DISPID_NEWWINDOW2, true, 0, 0, load.url.c_str()};
    Fire(event, parameters, &cancel);
    // The reference the handler put there is the engine's to release.
    const auto handed = com::ComPtr<IDispatch>::Adopt(window);
    if (event.cancelled) {
        // Cancel wins: a browser handed back with it is ignored, as documented.
        Record(handed ? L"NewWindow2 cancelled, with a browser handed back: no window opens"
                      : L"NewWindow2 cancelled: no window opens");
        return;
    }
    if (!handed) {
        Record(L"NewWindow2 handed back no browser: the engine would open its own window");
        return;
    }
    ScriptedBrowser* target = nullptr;
    if (FAILED(handed->QueryInterface(kScriptedBrowserId, reinterpret_cast<void**>(&target)))) {
        Record(L"NewWindow2 handed back a browser that is not a scripted engine");
        return;
    }
    const auto opened = com::ComPtr<ScriptedBrowser>::Adopt(target);
    Record(L"NewWindow2 handed back engine " + std::to_wstring(opened->serial_));
    opened->Record(L"opened as a new window for " + Escaped(load.url));
    opened->StartLoad(Origin::NewWindow, load.url, load.page);
}

}  // namespace kvt::engine
