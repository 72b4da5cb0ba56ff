#pragma once
// The Windows WebBrowser control hosted in a window of ours: the browser port over
// IWebBrowser2, its DWebBrowserEvents2 forwarded to the core's BrowserEvents.
//
// The site answers the ambient download-control property with images, videos and
// background sounds (0x70), asks for no 3-D border, keeps script errors silent and
// registers the component's user-agent token.

#include <windows.h>

#include <exdisp.h>

#include <functional>
#include <memory>

#include "browser/browser_port.h"
#include "com/com_ptr_win.h"

namespace kvt::browser {

// DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS.
inline constexpr long kDownloadControl = 0x70;
// The component's attribution text, appended to the engine's User-Agent header.
inline constexpr wchar_t kUserAgentToken[] = L"KvNewTavrixWB/1.0";

class BrowserSite;
class BrowserEventSink;

class WebBrowserHost final : public Browser {
  public:
    // Creates the engine in place inside `parent`, filling its client area.
    explicit WebBrowserHost(HWND parent);
    WebBrowserHost(const WebBrowserHost&) = delete;
    WebBrowserHost& operator=(const WebBrowserHost&) = delete;
    ~WebBrowserHost() override;

    void Navigate(const WideString& url, const Variant& flags, const Variant& target_frame_name,
                  const Variant& post_data, const Variant& headers) override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void FocusDocument() override;
    void SetEvents(std::weak_ptr<BrowserEvents> events) override;

    // The engine follows its window's client size.
    void Resize(int width, int height);
    // The engine's automation object (its Application), the target of a new window.
    com::ComPtr<IDispatch> Application();
    // The top document's title; false when there is no HTML document.
    bool DocumentTitle(WideString& title);
    // FocusDocument (the document UI-activated inside the parent window) with every failure
    // dropped, for callers to whom the focus is a courtesy.
    void ActivateDocument() noexcept;

    // Offers a keyboard message to the engine's active object; true when the engine used
    // it and it must not be dispatched.
    bool TranslateAccelerator(MSG& message);

    // `handler` runs whenever the engine becomes UI-active: the user clicked into the page,
    // or the page was activated to take the focus.
    void SetUIActivationHandler(std::function<void()> handler);
    // Ends the engine's UI activation; the next click into the page starts it again.
    void DeactivateUserInterface() noexcept;
    // Gives the page the keyboard focus: the document UI-activated as ActivateDocument does,
    // and the engine's window focused when that left the focus outside the page (an engine
    // that is UI-active already, or has no document yet).
    void TakeFocus() noexcept;

    HWND Parent() const { return parent_; }
    const com::ComPtr<IWebBrowser2>& Engine() const { return browser_; }

  private:
    void Connect();
    HWND EngineWindow() const;

    HWND parent_;
    com::ComPtr<BrowserSite> site_;
    com::ComPtr<BrowserEventSink> sink_;
    com::ComPtr<IOleObject> object_;
    com::ComPtr<IWebBrowser2> browser_;
    DWORD cookie_ = 0;
};

// Registers the user-agent token under the current user, once per process.
void RegisterUserAgentToken();

}  // namespace kvt::browser
