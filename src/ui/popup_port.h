#pragma once
// The platform side of the popup browser window. A popup is a modal window with its own
// browser; it shows itself once the event that created it has returned to the engine, and
// frees itself when the user closes it.

#include <functional>
#include <memory>
#include <optional>

#include "base/text.h"
#include "base/variant.h"

namespace kvt::ui {

// A popup as its creator sees it. The creator holds only a weak reference: the popup's
// lifetime is its own.
class PopupWindow {
  public:
    virtual ~PopupWindow() = default;
    virtual void BringToFront() = 0;
    // The automation object of the popup's browser, handed to the engine as the new window.
    virtual std::shared_ptr<InterfaceBase> BrowserApplication() = 0;
    // The creator could not hand the popup to the engine: the popup goes at once, never
    // shown, without running the creator's notification (the creator is the one asking).
    virtual void Discard() noexcept = 0;
};

class PopupFactory {
  public:
    virtual ~PopupFactory() = default;
    // Creates a hidden popup. `on_destroyed`, when set, runs while the popup is being
    // destroyed, before it is gone. A popup's own new-window requests create further
    // popups through the same factory with no notification.
    virtual std::shared_ptr<PopupWindow> CreatePopup(std::function<void()> on_destroyed) = 0;
};

// What the popup's event rules (popup.h) need of a popup's form and browser.
class PopupView {
  public:
    virtual ~PopupView() = default;
    virtual void SetCaption(const AnsiString& caption) = 0;
    // The title of the top document, whichever frame completed; nullopt when there is no
    // HTML document. May raise.
    virtual std::optional<WideString> TopDocumentTitle() = 0;
    // Gives the popup's page the focus inside the popup's own window. May raise.
    virtual void ActivateDocument() = 0;
};

}  // namespace kvt::ui
