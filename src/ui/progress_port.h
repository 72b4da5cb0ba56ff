#pragma once
// The platform side of the load-progress window. The core decides when the window is
// created, placed, shown, updated and destroyed (LoadProgress); a back end only draws it.

#include <chrono>
#include <cstdint>
#include <memory>

namespace kvt::ui {

// A native window handle, as the platform hands it over.
using WindowHandle = std::uintptr_t;

// One progress window: created hidden, borderless, stay-on-top, shaped by its bitmap
// (RegionRects), with the bar drawn through BarFillWidth and PercentText.
class ProgressWindow {
  public:
    virtual ~ProgressWindow() = default;
    // Raises Exception when `parent` is no window: the window is never left without one.
    virtual void SetParent(WindowHandle parent) = 0;
    // Moves the window inside its parent, keeping its size.
    virtual void MoveTo(int left, int top) = 0;
    // Sets the bar and repaints it at once, so the state is on screen before returning.
    virtual void SetPercent(int percent) = 0;
    // Shows the window above the parent's other child windows. A window that was never
    // moved is centred in its parent's client area at its first showing.
    virtual void ShowOnTop() = 0;
    virtual void Hide() = 0;
    // False once the native window has gone with its parent (a control window destroyed
    // without closing), for good: a dead window ignores every call and is never made anew.
    virtual bool Alive() const = 0;
};

class ProgressPlatform {
  public:
    virtual ~ProgressPlatform() = default;
    virtual std::unique_ptr<ProgressWindow> CreateProgressWindow() = 0;
    // Lets the application process every pending message; handlers may run re-entrantly.
    virtual void ProcessMessages() = 0;
    // Blocks the user-interface thread without processing messages.
    virtual void Pause(std::chrono::milliseconds duration) = 0;
};

}  // namespace kvt::ui
