#pragma once
// The popup browser window on Windows: a modal top-level window owned by the host's main
// window (or by the popup it was opened from), filled by its own WebBrowser. It shows itself from a
// 1 ms timer, so the event that created it has returned to the engine first, and frees itself after
// it closes.

#include <windows.h>

#include <memory>

#include "ui/popup_port.h"

namespace kvt::ui {

class Win32PopupFactory final : public PopupFactory,
                                public std::enable_shared_from_this<Win32PopupFactory> {
  public:
    // `module` holds the popup's icon resource `icon_id`; `owner` tells the owner window
    // (the host's main window) at each creation.
    Win32PopupFactory(HMODULE module, int icon_id, HWND (*owner)());

    std::shared_ptr<PopupWindow> CreatePopup(std::function<void()> on_destroyed) override;

  private:
    HMODULE module_;
    int icon_id_;
    HWND (*owner_)();
};

// True while any popup of any thread lives: its code must stay loaded under its modal loop.
bool AnyPopupLive();

}  // namespace kvt::ui
