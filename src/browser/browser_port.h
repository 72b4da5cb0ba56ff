#pragma once
// The core's view of an embedded browser engine. Back ends adapt the platform's engine
// (the WebBrowser control, Qt WebEngine) to Browser and forward its events to
// BrowserEvents. A failing engine call raises EOleError carrying its HRESULT.

#include <cstdint>
#include <memory>

#include "base/call_result.h"
#include "base/text.h"
#include "base/variant.h"

namespace kvt::browser {

// Command values of the command-state event.
inline constexpr std::int32_t kCommandNavigateForward = 1;
inline constexpr std::int32_t kCommandNavigateBack = 2;

// What the core handles of the engine's events. The engine keeps only a weak reference,
// so events that arrive after the handler is gone are dropped by the back end. No
// handler raises: a failure comes back as the result, for the back end to report or drop.
class BrowserEvents {
  public:
    virtual ~BrowserEvents() = default;

    struct BeforeNavigate {
        Variant url;
        Variant flags;
        Variant target_frame_name;
        Variant post_data;
        Variant headers;
        bool cancel = false;  // out: true cancels the navigation
    };
    virtual CallResult BeforeNavigate2(BeforeNavigate& event) = 0;

    struct NewWindow {
        std::shared_ptr<InterfaceBase> window;  // out: the browser the new page loads in
        bool cancel = false;                    // out
    };
    virtual CallResult NewWindow2(NewWindow& event) = 0;

    // Both fire for every frame, the top document included.
    virtual CallResult NavigateComplete2(const Variant& url) = 0;
    virtual CallResult DocumentComplete(const Variant& url) = 0;

    // `progress_max` may be 0 and `progress` -1.
    virtual CallResult ProgressChange(std::int32_t progress, std::int32_t progress_max) = 0;
    virtual CallResult CommandStateChange(std::int32_t command, bool enable) = 0;
};

// One embedded browser.
class Browser {
  public:
    virtual ~Browser() = default;

    // Empty variants stand for omitted arguments.
    virtual void Navigate(const WideString& url, const Variant& flags,
                          const Variant& target_frame_name, const Variant& post_data,
                          const Variant& headers) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Stop() = 0;
    // Gives the loaded document the keyboard focus; does nothing without a document.
    virtual void FocusDocument() = 0;

    // Where the engine delivers its events from now on.
    virtual void SetEvents(std::weak_ptr<BrowserEvents> events) = 0;
};

}  // namespace kvt::browser
