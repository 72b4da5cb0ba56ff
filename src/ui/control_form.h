#pragma once
// The control's own form as the back end hosts it: the window that the browser fills.

#include <cstdint>
#include <functional>

#include "ui/progress_port.h"

namespace kvt::ui {

class ControlForm {
  public:
    virtual ~ControlForm() = default;
    virtual WindowHandle Handle() = 0;
    virtual void SetFrameBorderNone() = 0;
    // Called with the control's width and height on every resize.
    virtual void SetResizeHandler(std::function<void(int width, int height)> handler) = 0;
    // Makes the host's main window the owner of the application's windows (popups).
    virtual void SetApplicationOwner(std::int32_t main_window) = 0;
    // Processes the window messages pending at this moment; handlers may run re-entrantly.
    virtual void ProcessMessages() = 0;
};

}  // namespace kvt::ui
