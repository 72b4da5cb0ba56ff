#include "ui/popup_window_win.h"

#include <atomic>
#include <memory>
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

// The popups of every thread that exist, for unloading: counted from the first line of a
// popup's construction to the last of its destruction, while its code runs.
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
        ReleaseOwner();
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
            event.window = factory_->CreatePopup(nullptr)->BrowserApplication();
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
                        self->ShowModal();
                        return 0;
                    }
                    break;
                case WM_SIZE:
                    if (self->browser_) {
                        self->browser_->Resize(LOWORD(lparam), HIWORD(lparam));
                    }
                    return 0;
                case WM_CLOSE:
                    // A modal window hands activation back to its owner before it goes;
                    // destroyed first, activation would jump to another application.
                    self->ReleaseOwner();
                    DestroyWindow(window);
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

    void Destroying() {
        ReleaseOwner();
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

    void DisableOwner() {
        if (owner_ != nullptr && IsWindowEnabled(owner_)) {
            EnableWindow(owner_, FALSE);
            owner_disabled_ = true;
        }
    }
    // Idempotent: the owner is enabled again once, whichever way the popup goes.
    void ReleaseOwner() {
        if (std::exchange(owner_disabled_, false) && IsWindow(owner_)) {
            EnableWindow(owner_, TRUE);
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

    // The modal loop: the owner (the host's main window, or the popup this one was opened
    // from) is disabled until the popup closes; then the popup frees itself.
    void ShowModal() {
        const std::shared_ptr<Win32Popup> self = shared_from_this();
        in_modal_loop_ = true;
        CentreOnScreen();
        DisableOwner();
        ShowWindow(window_.Get(), SW_SHOW);
        MSG message;
        while (window_.Get() != nullptr && IsWindow(window_.Get())) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got < 0) {
                break;
            }
            Dispatch(message);
        }
        ReleaseOwner();
        in_modal_loop_ = false;
        ForgetPopup(self);
    }

    PopupAlive alive_;
    std::function<void()> on_destroyed_;
    std::shared_ptr<PopupFactory> factory_;
    HWND owner_;
    bool owner_disabled_ = false;
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
