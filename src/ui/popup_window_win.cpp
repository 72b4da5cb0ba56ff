#include "ui/popup_window_win.h"

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

// Popups own themselves: each stays here from creation until its modal loop has ended.
std::vector<std::shared_ptr<Win32Popup>>& LivePopups() {
    static std::vector<std::shared_ptr<Win32Popup>> popups;
    return popups;
}

class Win32Popup final : public PopupWindow,
                         public PopupView,
                         public browser::BrowserEvents,
                         public std::enable_shared_from_this<Win32Popup> {
  public:
    Win32Popup(HMODULE module, int icon_id, HWND owner, std::function<void()> on_destroyed,
               std::shared_ptr<PopupFactory> factory)
        : on_destroyed_(std::move(on_destroyed)), factory_(std::move(factory)), owner_(owner) {
        RegisterWindowClassOnce(
            module, kPopupClass, WindowProc,
            {LoadIconW(module, MAKEINTRESOURCEW(icon_id)), GetSysColorBrush(COLOR_BTNFACE)});
        window_ = CreateWindowExW(0, kPopupClass, L"", WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, kPopupWidth, kPopupHeight, owner,
                                  nullptr, module, this);
        if (window_ == nullptr) {
            throw Exception("The popup window could not be created");
        }
        SetCaption(PopupInitialCaption());
        browser_ = std::make_unique<browser::WebBrowserHost>(window_);
    }

    ~Win32Popup() override {
        browser_.reset();
        DestroyObjectWindow(window_);
    }

    void Start() {
        browser_->SetEvents(weak_from_this());
        SetTimer(window_, kShowTimer, 1, nullptr);
    }

    // PopupWindow
    void BringToFront() override {
        if (IsWindow(window_)) {
            SetForegroundWindow(window_);
            BringWindowToTop(window_);
        }
    }
    std::shared_ptr<InterfaceBase> BrowserApplication() override {
        return std::make_shared<com::ComObject>(
            com::ComPtr<IUnknown>(browser_->Application().Get()));
    }

    // PopupView
    void SetCaption(const AnsiString& caption) override {
        SetWindowTextW(window_, reinterpret_cast<const wchar_t*>(AnsiToWide(caption).c_str()));
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
        return Guarded([&] {
            // A nested popup lives on by itself; nothing here refers to it.
            event.window = factory_->CreatePopup(nullptr)->BrowserApplication();
        });
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
                case WM_DESTROY:
                    self->Destroying();
                    return 0;
                default:
                    break;
            }
        }
        return DefWindowProcW(window, message, wparam, lparam);
    }

    void Destroying() {
        if (on_destroyed_) {
            const std::function<void()> notify = std::exchange(on_destroyed_, nullptr);
            try {
                notify();
            } catch (...) {
                // The creator's notification must not stop the window from going.
            }
        }
        KillTimer(window_, kShowTimer);
        browser_.reset();
    }

    void CentreOnScreen() {
        RECT frame{};
        GetWindowRect(window_, &frame);
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // The modal loop: the owner is disabled until the popup closes; then the popup frees
    // itself.
    void ShowModal() {
        const std::shared_ptr<Win32Popup> self = shared_from_this();
        CentreOnScreen();
        const bool owner_enabled = owner_ != nullptr && IsWindowEnabled(owner_);
        if (owner_enabled) {
            EnableWindow(owner_, FALSE);
        }
        ShowWindow(window_, SW_SHOW);
        MSG message;
        while (IsWindow(window_)) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got < 0) {
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (owner_enabled) {
            EnableWindow(owner_, TRUE);
            SetForegroundWindow(owner_);
        }
        auto& live = LivePopups();
        std::erase(live, self);
    }

    std::function<void()> on_destroyed_;
    std::shared_ptr<PopupFactory> factory_;
    HWND owner_;
    HWND window_ = nullptr;
    std::unique_ptr<browser::WebBrowserHost> browser_;
};

}  // namespace

Win32PopupFactory::Win32PopupFactory(HMODULE module, int icon_id, HWND (*owner)())
    : module_(module), icon_id_(icon_id), owner_(owner) {}

std::shared_ptr<PopupWindow> Win32PopupFactory::CreatePopup(std::function<void()> on_destroyed) {
    auto popup = std::make_shared<Win32Popup>(module_, icon_id_, owner_(), std::move(on_destroyed),
                                              shared_from_this());
    popup->Start();
    LivePopups().push_back(popup);
    return popup;
}

}  // namespace kvt::ui
