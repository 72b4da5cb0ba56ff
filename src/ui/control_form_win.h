#pragma once
// The control's own window, which the browser fills. It exists from the control object's
// creation: parked under a hidden window of the DLL (one per thread) until the container
// activates the control in place, and parked again when it deactivates.

#include <windows.h>

#include <functional>

#include "ui/control_form.h"

namespace kvt::ui {

inline constexpr int kFormWidth = 616;
inline constexpr int kFormHeight = 334;

class ControlFormWindow final : public ControlForm {
  public:
    ControlFormWindow();
    ControlFormWindow(const ControlFormWindow&) = delete;
    ControlFormWindow& operator=(const ControlFormWindow&) = delete;
    ~ControlFormWindow() override;

    HWND Window() const { return window_; }
    // Makes the window a visible child of the container's window at `position`.
    void PlaceIn(HWND parent, const RECT& position);
    void Move(const RECT& position);
    // Hides the window under the thread's parking window.
    void Park();
    // Called with the client size on every resize, before the control's own handler: the
    // browser follows the window.
    void SetLayoutHandler(std::function<void(int width, int height)> handler);
    // Called when the window receives the keyboard focus, to pass it on to the page.
    void SetFocusHandler(std::function<void()> handler);

    // The host's main window, owner of the popups of every control on the calling thread.
    static HWND ApplicationOwner();

    WindowHandle Handle() override;
    void SetFrameBorderNone() override;
    void SetResizeHandler(std::function<void(int width, int height)> handler) override;
    void SetApplicationOwner(std::int32_t main_window) override;
    void ProcessMessages() override;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void Resized(int width, int height);

    HWND window_ = nullptr;
    std::function<void(int, int)> layout_handler_;
    std::function<void(int, int)> resize_handler_;
    std::function<void()> focus_handler_;
};

}  // namespace kvt::ui
