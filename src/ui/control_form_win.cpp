#include "ui/control_form_win.h"

#include <utility>

#include "base/errors.h"
#include "base/format.h"
#include "ui/message_pass_win.h"
#include "ui/window_class_win.h"

namespace kvt::ui {

namespace {

constexpr wchar_t kFormClass[] = L"KvNewTavrixForm";
constexpr wchar_t kParkingClass[] = L"KvNewTavrixParking";

// A window belongs to the thread that made it, and a child window must not outlive its
// parent's thread: each thread that makes controls has its own parking window and its own
// application owner. The parking window goes with the thread's last form.
struct ThreadWindows {
    HWND parking = nullptr;
    int forms = 0;
    HWND application_owner = nullptr;
};
thread_local ThreadWindows t_windows;

void RegisterClassOnce(const wchar_t* name, WNDPROC procedure) {
    if (!RegisterWindowClassOnce(ThisModule(), name, procedure,
                                 {nullptr, GetSysColorBrush(COLOR_BTNFACE)})) {
        throw Exception(Format("The control's window class could not be registered (error %lu)",
                               GetLastError()));
    }
}

// The thread's hidden top-level window that holds its control windows that are not in place.
HWND ParkingWindow() {
    HWND& parking = t_windows.parking;
    if (parking == nullptr || !IsWindow(parking)) {
        RegisterClassOnce(kParkingClass, DefWindowProcW);
        parking = CreateWindowExW(0, kParkingClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  ThisModule(), nullptr);
        if (parking == nullptr) {
            throw Exception(Format("The control's parking window could not be created (error %lu)",
                                   GetLastError()));
        }
    }
    return parking;
}

void ReleaseParkingWindow() {
    if (--t_windows.forms == 0 && t_windows.parking != nullptr) {
        DestroyWindow(std::exchange(t_windows.parking, nullptr));
    }
}

}  // namespace

ControlFormWindow::ControlFormWindow() {
    ++t_windows.forms;
    try {
        RegisterClassOnce(kFormClass, WindowProc);
        window_ = CreateWindowExW(0, kFormClass, L"KvNewTavrix",
                                  WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, kFormWidth,
                                  kFormHeight, ParkingWindow(), nullptr, ThisModule(), this);
        if (window_ == nullptr) {
            throw Exception(
                Format("The control's window could not be created (error %lu)", GetLastError()));
        }
    } catch (...) {
        ReleaseParkingWindow();
        throw;
    }
}

// Destroyed on the thread that made it, as a single-threaded apartment releases its
// objects on its own thread.
ControlFormWindow::~ControlFormWindow() {
    DestroyObjectWindow(window_);
    ReleaseParkingWindow();
}

LRESULT CALLBACK ControlFormWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
    auto* const self = WindowObject<ControlFormWindow>(window, message, lparam);
    if (self != nullptr && message == WM_SIZE) {
        self->Resized(LOWORD(lparam), HIWORD(lparam));
        return 0;
    }
    if (self != nullptr && message == WM_SETFOCUS && self->focus_handler_) {
        self->focus_handler_();
        return 0;
    }
    if (self != nullptr && message == WM_NCDESTROY) {
        // Taken along by a container window that went first.
        ReleaseWindowObject(window);
        self->window_ = nullptr;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void ControlFormWindow::Resized(int width, int height) {
    if (layout_handler_) {
        layout_handler_(width, height);
    }
    if (resize_handler_) {
        resize_handler_(width, height);
    }
}

void ControlFormWindow::PlaceIn(HWND parent, const RECT& position) {
    SetParent(window_, parent);
    Move(position);
    ShowWindow(window_, SW_SHOWNA);
}

void ControlFormWindow::Move(const RECT& position) {
    MoveWindow(window_, position.left, position.top, position.right - position.left,
               position.bottom - position.top, TRUE);
}

void ControlFormWindow::Park() {
    ShowWindow(window_, SW_HIDE);
    SetParent(window_, ParkingWindow());
}

void ControlFormWindow::SetLayoutHandler(std::function<void(int width, int height)> handler) {
    layout_handler_ = std::move(handler);
}

void ControlFormWindow::SetFocusHandler(std::function<void()> handler) {
    focus_handler_ = std::move(handler);
}

HWND ControlFormWindow::ApplicationOwner() {
    return t_windows.application_owner;
}

WindowHandle ControlFormWindow::Handle() {
    return reinterpret_cast<WindowHandle>(window_);
}

void ControlFormWindow::SetFrameBorderNone() {
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    const LONG_PTR extended = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    SetWindowLongPtrW(window_, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_BORDER | WS_DLGFRAME));
    SetWindowLongPtrW(window_, GWL_EXSTYLE,
                      extended & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE));
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlFormWindow::SetResizeHandler(std::function<void(int width, int height)> handler) {
    resize_handler_ = std::move(handler);
}

void ControlFormWindow::SetApplicationOwner(std::int32_t main_window) {
    t_windows.application_owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(main_window));
}

void ControlFormWindow::ProcessMessages() {
    ProcessPendingMessages();
}

}  // namespace kvt::ui
