#include "ui/popup_window_win.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "browser/web_browser_win.h"
#include "com/variant_win.h"
#include "ui/popup.h"
#include "ui/window_class_win.h"

namespace kvt::ui {

namespace {

constexpr wchar_t kPopupClass[] = L"KvNewTavrixPopup";
constexpr UINT_PTR kShowTimer = 1;

class Win32Popup;

// Popups own themselves: each stays in its thread's list from creation until its modal loop
// has ended, or until its window goes if it never got as far as showing. Each thread has its
// own list, as a popup's window and its owner belong to the thread that made them. The list
// is made with the thread's first popup and freed with its last; the thread-local slot is a
// plain pointer, as thread-local objects with destructors are not reliable in a MinGW DLL.
using PopupList = std::vector<std::shared_ptr<Win32Popup>>;
thread_local PopupList* t_popups = nullptr;

void KeepPopup(std::shared_ptr<Win32Popup> popup) {
    if (t_popups == nullptr) {
        t_popups = std::make_unique<PopupList>().release();
    }
    t_popups->push_back(std::move(popup));
}

void ForgetPopup(const std::shared_ptr<Win32Popup>& popup) {
    if (t_popups == nullptr) {
        return;
    }
    std::erase(*t_popups, popup);
    if (t_popups->empty()) {
        const std::unique_ptr<PopupList> list(std::exchange(t_popups, nullptr));
    }
}

// The popups of every thread that exist, for unloading: counted from the start of a
// popup's construction to the end of its own destructor's body (its members and the shared
// owner's bookkeeping finish after that, which COM's delayed unloading covers).
std::atomic<int> g_popups_alive{0};

struct PopupAlive {
    PopupAlive() { ++g_popups_alive; }
    PopupAlive(const PopupAlive&) = delete;
    PopupAlive& operator=(const PopupAlive&) = delete;
    ~PopupAlive() { --g_popups_alive; }
};

bool IsKeyboardMessage(const MSG& message) {
    return message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
}

// Modal over the whole host: while it is in force, every top-level window of this thread
// that was enabled is disabled, as a task-modal message box disables them all, and exactly
// those are enabled again. A window its owner had disabled itself stays as it was.
class ThreadWindowsDisabled {
  public:
    // Every visible, enabled top-level window of this thread but `modal` itself. Hidden ones
    // take no input anyway, and are left alone: the thread's input-method windows must keep
    // working for the popup, and a popup still waiting to show takes its own modal turn
    // (disabled now, it would show up unusable).
    // The owner as well, should the host have made it on another thread.
    void Disable(HWND modal, HWND owner) {
        modal_ = modal;
        EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(this));
        if (owner != nullptr && IsWindow(owner) && IsWindowEnabled(owner)) {
            DisableRemembered(owner);
        }
    }
    // Idempotent: each window is enabled again once, whichever way the popup goes.
    void Enable() {
        for (const HWND window : std::exchange(disabled_, {})) {
            if (IsWindow(window)) {
                EnableWindow(window, TRUE);
            }
        }
    }
    bool Any() const { return !disabled_.empty(); }

  private:
    static BOOL CALLBACK DisableOne(HWND window, LPARAM self_pointer) noexcept {
        auto& self = *reinterpret_cast<ThreadWindowsDisabled*>(self_pointer);
        if (window != self.modal_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
            return self.DisableRemembered(window) ? TRUE : FALSE;
        }
        return TRUE;
    }

    // Disables `window` once it is on the list of those to enable again; false when the
    // list cannot grow (the window then stays enabled rather than disabled for good).
    bool DisableRemembered(HWND window) noexcept {
        try {
            disabled_.push_back(window);
        } catch (...) {
            return false;
        }
        EnableWindow(window, FALSE);
        return true;
    }

    HWND modal_ = nullptr;
    std::vector<HWND> disabled_;
};

class Win32Popup final : public PopupWindow,
                         public PopupView,
                         public browser::BrowserEvents,
                         public std::enable_shared_from_this<Win32Popup> {
  public:
    Win32Popup(HMODULE module, int icon_id, HWND owner, std::function<void()> on_destroyed,
               std::shared_ptr<PopupFactory> factory)
        : on_destroyed_(std::move(on_destroyed)),
          factory_(std::move(factory)),
          owner_(owner),
          window_(CreatePopupWindow(module, icon_id, owner, this)) {
        SetCaption(PopupInitialCaption());
        browser_ = std::make_unique<browser::WebBrowserHost>(window_.Get());
    }

    ~Win32Popup() override {
        browser_.reset();
        ReleaseHost();
    }

    void Start() {
        browser_->SetEvents(weak_from_this());
        SetTimer(window_.Get(), kShowTimer, 1, nullptr);
    }

    // The window of the popup whose modal loop runs innermost, if any: a popup opened now
    // belongs above it.
    HWND ModalWindow() const { return in_modal_loop_ ? window_.Get() : nullptr; }

    // PopupWindow
    void BringToFront() override {
        if (const HWND window = window_.Get(); window != nullptr && IsWindow(window)) {
            SetForegroundWindow(window);
            BringWindowToTop(window);
        }
    }
    std::shared_ptr<InterfaceBase> BrowserApplication() override {
        if (!browser_) {
            throw Exception("The popup window has closed");
        }
        return std::make_shared<com::ComObject>(
            com::ComPtr<IUnknown>(browser_->Application().Get()));
    }
    void Discard() noexcept override {
        on_destroyed_ = nullptr;
        if (const HWND window = window_.Get(); window != nullptr && IsWindow(window)) {
            // Not shown yet: its WM_DESTROY lets it go from the live popups.
            DestroyWindow(window);
        }
    }

    // PopupView
    void SetCaption(const AnsiString& caption) override {
        SetWindowTextW(window_.Get(),
                       reinterpret_cast<const wchar_t*>(AnsiToWide(caption).c_str()));
    }
    std::optional<WideString> TopDocumentTitle() override {
        WideString title;
        if (!browser_ || !browser_->DocumentTitle(title)) {
            return std::nullopt;
        }
        return title;
    }
    void ActivateDocument() override {
        if (browser_) {
            browser_->ActivateDocument();
        }
    }

    // BrowserEvents of the popup's own browser.
    CallResult BeforeNavigate2(BeforeNavigate&) override { return {}; }
    CallResult NewWindow2(NewWindow& event) override {
        const CallResult result = Guarded([&] {
            // A nested popup lives on by itself; nothing here refers to it.
            const std::shared_ptr<PopupWindow> popup = factory_->CreatePopup(nullptr);
            try {
                event.window = popup->BrowserApplication();
            } catch (...) {
                popup->Discard();
                throw;
            }
        });
        if (!result.Ok()) {
            // No browser window of the engine's own outside the host.
            event.window.reset();
            event.cancel = true;
        }
        return result;
    }
    CallResult NavigateComplete2(const Variant&) override {
        PopupNavigateComplete(*this);
        return {};
    }
    CallResult DocumentComplete(const Variant&) override {
        PopupDocumentComplete(*this);
        return {};
    }
    CallResult ProgressChange(std::int32_t, std::int32_t) override { return {}; }
    CallResult CommandStateChange(std::int32_t, bool) override { return {}; }

  private:
    static HWND CreatePopupWindow(HMODULE module, int icon_id, HWND owner, Win32Popup* popup) {
        RegisterWindowClassOnce(
            module, kPopupClass, WindowProc,
            {LoadIconW(module, MAKEINTRESOURCEW(icon_id)), GetSysColorBrush(COLOR_BTNFACE)});
        const HWND window = CreateWindowExW(
            0, kPopupClass, L"", WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX, CW_USEDEFAULT,
            CW_USEDEFAULT, kPopupWidth, kPopupHeight, owner, nullptr, module, popup);
        if (window == nullptr) {
            throw Exception("The popup window could not be created");
        }
        return window;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        auto* const self = WindowObject<Win32Popup>(window, message, lparam);
        if (self != nullptr) {
            switch (message) {
                case WM_TIMER:
                    if (wparam == kShowTimer) {
                        KillTimer(window, kShowTimer);
                        try {
                            self->ShowModal();
                        } catch (...) {
                            // Nothing may unwind through the system's window procedure; the
                            // popup closes as if the user closed it, and lets itself go.
                            const std::shared_ptr<Win32Popup> popup = self->shared_from_this();
                            popup->Close();
                            popup->in_modal_loop_ = false;
                            ForgetPopup(popup);
                        }
                        return 0;
                    }
                    break;
                case WM_SIZE:
                    if (self->browser_) {
                        self->browser_->Resize(LOWORD(lparam), HIWORD(lparam));
                    }
                    return 0;
                case WM_CLOSE:
                    self->Close();
                    return 0;
                case WM_DESTROY: {
                    const std::shared_ptr<Win32Popup> keep = self->shared_from_this();
                    self->Destroying();
                    return 0;
                }
                default:
                    break;
            }
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }

    // A modal window hands activation back to its owner before it goes; destroyed first,
    // activation would jump to another application.
    void Close() {
        ReleaseHost();
        if (const HWND window = window_.Get(); window != nullptr && IsWindow(window)) {
            DestroyWindow(window);
        }
    }

    void Destroying() {
        ReleaseHost();
        KillTimer(window_.Get(), kShowTimer);
        // The window is going by itself: it is no longer ours to destroy.
        ReleaseWindowObject(window_.Detach());
        browser_.reset();
        if (on_destroyed_) {
            const std::function<void()> notify = std::exchange(on_destroyed_, nullptr);
            try {
                notify();
            } catch (...) {
                // The creator's notification must not stop the window from going.
            }
        }
        if (!in_modal_loop_) {
            // Gone before it was shown: no modal loop will let it go.
            ForgetPopup(shared_from_this());
        }
    }

    void CentreOnScreen() {
        RECT frame{};
        GetWindowRect(window_.Get(), &frame);
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        SetWindowPos(window_.Get(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Idempotent: the host's windows are enabled again once, whichever way the popup goes,
    // and the owner becomes the active window.
    void ReleaseHost() {
        if (!disabled_.Any()) {
            return;
        }
        disabled_.Enable();
        if (IsWindow(owner_) && IsWindowEnabled(owner_)) {
            SetActiveWindow(owner_);
        }
    }

    // Keyboard messages go to the engine first, as in the panel, so that Tab, the clipboard
    // keys and Delete work in the page.
    void Dispatch(MSG& message) {
        if (IsKeyboardMessage(message) && browser_ && browser_->TranslateAccelerator(message)) {
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    // The modal loop: the host's windows (its main window, the popup this one was opened
    // from, and every other top-level window of the thread) are disabled until the popup
    // closes; then the popup frees itself.
    void ShowModal() {
        const std::shared_ptr<Win32Popup> self = shared_from_this();
        in_modal_loop_ = true;
        CentreOnScreen();
        disabled_.Disable(window_.Get(), owner_);
        ShowWindow(window_.Get(), SW_SHOW);
        const std::optional<WPARAM> quit = RunModalLoop();
        // Ended by a quit (or a failing GetMessage) with the window still there: it closes
        // as if the user closed it, its creator's notification included.
        Close();
        in_modal_loop_ = false;
        ForgetPopup(self);
        if (quit) {
            // As a modal loop on Windows does with WM_QUIT: posted again, with its exit
            // code, for the loop that runs below this one.
            PostQuitMessage(static_cast<int>(*quit));
        }
    }

    // Until the window is gone; answers the exit code of a WM_QUIT that ended it.
    std::optional<WPARAM> RunModalLoop() {
        MSG message;
        while (window_.Get() != nullptr && IsWindow(window_.Get())) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {
                return message.wParam;
            }
            if (got < 0) {
                break;
            }
            Dispatch(message);
        }
        return std::nullopt;
    }

    PopupAlive alive_;
    std::function<void()> on_destroyed_;
    std::shared_ptr<PopupFactory> factory_;
    HWND owner_;
    ThreadWindowsDisabled disabled_;
    bool in_modal_loop_ = false;
    // Made before the window, whose creation already sends messages that look at it; the
    // destructor lets the browser go before the window.
    std::unique_ptr<browser::WebBrowserHost> browser_;
    UniqueObjectWindow window_;
};

// The owner of a new popup: the innermost popup whose modal loop runs, else the host's
// main window.
HWND OwnerForNewPopup(HWND host_window) {
    if (t_popups == nullptr) {
        return host_window;
    }
    for (auto popup = t_popups->rbegin(); popup != t_popups->rend(); ++popup) {
        if (const HWND window = (*popup)->ModalWindow(); window != nullptr && IsWindow(window)) {
            return window;
        }
    }
    return host_window;
}

}  // namespace

Win32PopupFactory::Win32PopupFactory(HMODULE module, int icon_id, HWND (*owner)())
    : module_(module), icon_id_(icon_id), owner_(owner) {}

std::shared_ptr<PopupWindow> Win32PopupFactory::CreatePopup(std::function<void()> on_destroyed) {
    auto popup = std::make_shared<Win32Popup>(module_, icon_id_, OwnerForNewPopup(owner_()),
                                              std::move(on_destroyed), shared_from_this());
    popup->Start();
    KeepPopup(popup);
    return popup;
}

}  // namespace kvt::ui

namespace kvt::ui {

bool AnyPopupLive() {
    return g_popups_alive.load() != 0;
}

}  // namespace kvt::ui
