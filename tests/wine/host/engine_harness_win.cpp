#include "engine_harness_win.h"

#include <cstdio>

#include "base/text.h"
#include "com/bstr_win.h"
#include "engine_sections_win.h"
#include "record_format.h"
#include "test_host_win.h"
#include "ui/progress_bar.h"

namespace kvt::wintest {

namespace {

constexpr wchar_t kProgressClass[] = L"KvNewTavrixLoadProgress";
constexpr wchar_t kWorkClass[] = L"KvtTestPostedWork";
constexpr wchar_t kWatchProperty[] = L"KvtProgressWatch";
constexpr UINT kWorkMessage = WM_APP + 7;
constexpr COLORREF kBarColour = RGB((ui::kBarColourRgb >> 16) & 0xFF,
                                    (ui::kBarColourRgb >> 8) & 0xFF, ui::kBarColourRgb & 0xFF);
constexpr int kInnerWidth = ui::kBarWidth - 2 * ui::kBarBorderWidth;

// The bar's filled width on the screen: the run of bar-coloured pixels from the left of
// its first inner row, which the percentage text never reaches.
int ReadFill(HWND window) {
    HDC dc = GetDC(window);
    if (dc == nullptr) {
        return -1;
    }
    const int row = ui::kBarTop + ui::kBarBorderWidth;
    const int left = ui::kBarLeft + ui::kBarBorderWidth;
    int fill = 0;
    for (; fill < kInnerWidth; ++fill) {
        const COLORREF colour = GetPixel(dc, left + fill, row);
        if (colour == CLR_INVALID) {
            fill = -1;
            break;
        }
        if (colour != kBarColour) {
            break;
        }
    }
    ReleaseDC(window, dc);
    return fill;
}

BOOL CALLBACK AddWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    return WideToUtf8(std::u16string(text.begin(), text.end()));
}

bool Explained(Checks& checks, bool holds, const std::string& what,
               const std::vector<std::string>& detail) {
    if (!holds) {
        std::printf("  seen:%s\n", Joined(detail).c_str());
    }
    return checks.That(holds, what);
}

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!done()) {
        if (GetTickCount64() >= end) {
            return false;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

bool WaitIdle(IScriptedEngine& engine, DWORD milliseconds) {
    return WaitUntil([&] { return engine.Idle() == S_OK; }, milliseconds);
}

std::vector<std::string> RecordOf(IScriptedEngine& engine, std::size_t from) {
    std::vector<std::string> lines;
    for (ULONG index = static_cast<ULONG>(from);; ++index) {
        com::Bstr line;
        if (engine.RecordLine(index, line.Out()) != S_OK) {
            break;
        }
        lines.push_back(WideToUtf8(line.Text()));
    }
    return lines;
}

std::size_t RecordSize(IScriptedEngine& engine) {
    std::size_t size = 0;
    com::Bstr line;
    while (engine.RecordLine(static_cast<ULONG>(size), line.Out()) == S_OK) {
        ++size;
    }
    return size;
}

std::vector<std::string> Starting(const std::vector<std::string>& lines,
                                  const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.starts_with(prefix)) {
            found.push_back(line);
        }
    }
    return found;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += "\n    " + line;
    }
    return text.empty() ? " (none)" : text;
}

std::string WindowText(HWND window) {
    return Utf8(engine::WindowText(window));
}

std::string RectText(const RECT& rect) {
    return Utf8(engine::RectText(rect));
}

RECT ClientRect(HWND window) {
    RECT area{};
    GetClientRect(window, &area);
    return area;
}

void EventWatch::BeforeEvent(IScriptedEngine* engine, const EngineEvent* event) {
    // A copy: a handler may replace the handlers.
    if (const Handler handler = before_) {
        handler(*engine, *event);
    }
}

void EventWatch::AfterEvent(IScriptedEngine* engine, const EngineEvent* event) {
    if (const Handler handler = after_) {
        handler(*engine, *event);
    }
}

Engines::Engines() : watch_(com::MakeComObject<EventWatch>()) {
    if (SUCCEEDED(CoGetClassObject(engine::kEngineClassId, CLSCTX_INPROC_SERVER, nullptr,
                                   __uuidof(engine::IEngineDirectory), directory_.OutVoid()))) {
        directory_->SetObserver(watch_.Get());
    }
}

Engines::~Engines() {
    if (directory_) {
        directory_->SetObserver(nullptr);
    }
}

ULONG Engines::Count() const {
    return directory_ ? directory_->Count() : 0;
}

com::ComPtr<IScriptedEngine> Engines::At(ULONG index) const {
    com::ComPtr<IScriptedEngine> engine;
    if (directory_) {
        directory_->At(index, engine.Out());
    }
    return engine;
}

HRESULT Engines::FailInNewEngines(const wchar_t* call, HRESULT hr) {
    return directory_ ? directory_->FailInNewEngines(call, hr) : E_UNEXPECTED;
}

com::ComPtr<IScriptedEngine> Engines::Newest() const {
    const ULONG count = Count();
    return count == 0 ? com::ComPtr<IScriptedEngine>() : At(count - 1);
}

PostedWork::PostedWork() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kWorkClass;
    RegisterClassW(&window_class);
    window_ = CreateWindowExW(0, kWorkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              window_class.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

PostedWork::~PostedWork() {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void PostedWork::Post(std::function<void()> work) {
    work_.push_back(std::move(work));
    PostMessageW(window_, kWorkMessage, 0, 0);
}

LRESULT CALLBACK PostedWork::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* const self = reinterpret_cast<PostedWork*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == kWorkMessage && !self->work_.empty()) {
        const std::function<void()> work = std::move(self->work_.front());
        self->work_.pop_front();
        work();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

ProgressWatch::~ProgressWatch() {
    Detach();
}

HWND ProgressWatch::Window() {
    HWND window = FindWindowExW(control_, nullptr, kProgressClass, nullptr);
    if (window != hooked_) {
        Detach();
        if (window != nullptr) {
            Attach(window);
        }
    }
    return window;
}

bool ProgressWatch::Visible() {
    HWND window = Window();
    return window != nullptr && IsWindowVisible(window);
}

std::vector<int> ProgressWatch::TakePaints() {
    Window();
    return std::exchange(paints_, {});
}

void ProgressWatch::Attach(HWND window) {
    hooked_ = window;
    SetPropW(window, kWatchProperty, this);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Hook)));
}

void ProgressWatch::Detach() {
    if (hooked_ != nullptr && IsWindow(hooked_)) {
        SetWindowLongPtrW(hooked_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        RemovePropW(hooked_, kWatchProperty);
    }
    hooked_ = nullptr;
    original_ = nullptr;
}

LRESULT CALLBACK ProgressWatch::Hook(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* const self = static_cast<ProgressWatch*>(GetPropW(window, kWatchProperty));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
    const WNDPROC original = self->original_;
    if (message == WM_NCDESTROY) {
        RemovePropW(window, kWatchProperty);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        self->hooked_ = nullptr;
        self->original_ = nullptr;
        return CallWindowProcW(original, window, message, wparam, lparam);
    }
    const LRESULT result = CallWindowProcW(original, window, message, wparam, lparam);
    if (message == WM_PAINT) {
        self->paints_.push_back(ReadFill(window));
    }
    return result;
}

// 172 x percent / 100 never ends in an exact half for a whole percentage.
int FillFor(int percent) {
    if (percent <= 0) {
        return 0;
    }
    if (percent >= 100) {
        return kInnerWidth;
    }
    return (percent * kInnerWidth + 50) / 100;
}

EmbeddedControl::EmbeddedControl(Engines& engines, HWND container, const RECT& area) {
    host_.ranges = SectorTree();
    host_.store = Database();
    host_.controller = com::MakeComObject<TestController>(host_.ranges, host_.store, container);
    host_.controller->SetParam(L"ServerIP", L"127.0.0.1:8080");
    host_.controller->SetParam(L"HtmlValidate", L"v=engine");

    const ULONG engines_before = engines.Count();
    CLSID class_id{};
    if (FAILED(CLSIDFromProgID(kProgId, &class_id)) ||
        FAILED(CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                control_.OutVoid()))) {
        return;
    }
    if (engines.Count() == engines_before + 1) {
        engine_ = engines.Newest();
    }
    plugin_ = control_.As<IDvPlugin>();
    site_ = com::MakeComObject<browser::BrowserSite>(container);
    const auto object = control_.As<IOleObject>();
    object->SetClientSite(static_cast<IOleClientSite*>(site_.Get()));
    object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_.Get()), 0,
                   container, &area);
    control_.As<IOleInPlaceObject>()->GetWindow(&window_);
}

bool StartedWithFirstPage(Checks& checks, EmbeddedControl& control) {
    if (!checks.That(control.Ready(), "a control with its engine")) {
        return false;
    }
    control.Start(kLayoutArea);
    control.Plugin().ShowPlugin();
    WaitIdle(control.Engine());
    return true;
}

HRESULT EmbeddedControl::UIActivate(const RECT& area) {
    HWND container = nullptr;
    site_->GetWindow(&container);
    return control_.As<IOleObject>()->DoVerb(OLEIVERB_UIACTIVATE, nullptr,
                                             static_cast<IOleClientSite*>(site_.Get()), 0,
                                             container, &area);
}

HRESULT EmbeddedControl::Start(const RECT& area) {
    const HRESULT hr = plugin_->InitPlugin(static_cast<IDvController*>(host_.controller.Get()), 0);
    if (const auto in_place = control_.As<IOleInPlaceObject>()) {
        in_place->SetObjectRects(&area, &area);
    }
    return hr;
}

std::string EmbeddedControl::Exec(const wchar_t* command) {
    com::Bstr reply;
    const com::Bstr text(std::u16string(command, command + wcslen(command)));
    const HRESULT hr = plugin_->ExecCommand(text.Get(), reply.Out());
    if (FAILED(hr)) {
        return "<" + Utf8(engine::HexText(static_cast<ULONG>(hr))) + ">";
    }
    return WideToUtf8(reply.Text());
}

void EmbeddedControl::Release() {
    if (!control_) {
        return;
    }
    const com::ComPtr<IUnknown> control = std::move(control_);
    plugin_.Reset();
    if (const auto in_place = control.As<IOleInPlaceObject>()) {
        in_place->InPlaceDeactivate();
    }
    if (const auto object = control.As<IOleObject>()) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    site_.Reset();
    window_ = nullptr;
}

EventLog::EventLog(Engines& engines, ProgressWatch* progress)
    : watch_(engines.Watch()), progress_(progress) {
    watch_.SetBefore(
        [this](IScriptedEngine& engine, const EngineEvent& event) { Before(engine, event); });
    watch_.SetAfter(
        [this](IScriptedEngine& engine, const EngineEvent& event) { After(engine, event); });
}

EventLog::~EventLog() {
    watch_.Clear();
}

void EventLog::Before(IScriptedEngine& engine, const EngineEvent& event) {
    const int sequence = ++sequence_;
    running_.push_back({sequence, RecordSize(engine), false});
    if (progress_ != nullptr) {
        progress_->TakePaints();
    }
    work_.Post([this, sequence] {
        if (!running_.empty() && running_.back().sequence == sequence) {
            running_.back().pass_ran = true;
        }
    });
    if (const EventWatch::Handler handler = before_) {
        handler(engine, event);
    }
}

void EventLog::After(IScriptedEngine& engine, const EngineEvent& event) {
    if (running_.empty()) {
        return;
    }
    const Running running = running_.back();
    running_.pop_back();
    SeenEvent seen;
    seen.engine = engine.Serial();
    seen.event = event;
    seen.text = Utf8(event.text != nullptr ? event.text : L"");
    seen.event.text = nullptr;  // it lived only for the call
    if (progress_ != nullptr) {
        seen.paints = progress_->TakePaints();
        seen.progress_visible = progress_->Visible();
    }
    seen.pass_ran = running.pass_ran;
    seen.record = RecordOf(engine, running.record_start);
    seen_.push_back(std::move(seen));
    if (const EventWatch::Handler handler = after_) {
        handler(engine, event);
    }
}

std::vector<SeenEvent> EventLog::Of(DISPID id) const {
    std::vector<SeenEvent> found;
    for (const SeenEvent& seen : seen_) {
        if (seen.event.id == id) {
            found.push_back(seen);
        }
    }
    return found;
}

std::vector<HWND> PopupWindows() {
    std::vector<HWND> windows;
    for (HWND window = FindWindowExW(nullptr, nullptr, kPopupClass, nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, kPopupClass, nullptr)) {
        windows.push_back(window);
    }
    return windows;
}

HWND TopWindowOf(IScriptedEngine& engine) {
    const HWND window = engine.InPlaceWindow();
    return window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
}

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), AddWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

PopupWatchdog::PopupWatchdog() : timer_(SetTimer(nullptr, 0, kWatchdogTime, Fire)) {
    fired_ = false;
}

PopupWatchdog::~PopupWatchdog() {
    KillTimer(nullptr, timer_);
}

void CALLBACK PopupWatchdog::Fire(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    fired_ = true;
    for (HWND popup : PopupWindows()) {
        PostMessageW(popup, WM_CLOSE, 0, 0);
    }
}

engine::PageScript TestPage::Script() const {
    engine::PageScript script;
    script.title = html ? title.c_str() : nullptr;
    script.frames = frames;
    script.progress_before = before.data();
    script.progress_before_count = static_cast<unsigned>(before.size());
    script.progress_after = after.data();
    script.progress_after_count = static_cast<unsigned>(after.size());
    script.progress_final = after_complete.data();
    script.progress_final_count = static_cast<unsigned>(after_complete.size());
    script.wait_until_shown = wait_until_shown;
    return script;
}

}  // namespace kvt::wintest
