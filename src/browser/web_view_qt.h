#pragma once
// The engine's view and page as the control's browser and its popups show them.

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>

namespace kvt::browser {

// A page that hands its navigation and new-window requests to hooks. Without a hook a
// navigation is allowed and a new window is refused.
class HookedPage : public QWebEnginePage {
  public:
    using NavigationHook = std::function<bool(const QUrl& url, bool main_frame)>;
    using NewWindowHook = std::function<QWebEnginePage*()>;

    explicit HookedPage(QObject* parent) : QWebEnginePage(parent) {}
    void SetNavigationHook(NavigationHook hook) { navigation_hook_ = std::move(hook); }
    void SetNewWindowHook(NewWindowHook hook) { new_window_hook_ = std::move(hook); }

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool main_frame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

  private:
    NavigationHook navigation_hook_;
    NewWindowHook new_window_hook_;
};

struct WebView {
    QWebEngineView* view;  // owned by the parent
    HookedPage* page;      // owned by the view
};

// A view as a child of `parent`, showing a hooked page whose scripts may open windows
// (they reach the new-window hook).
WebView CreateWebView(QWidget* parent);

}  // namespace kvt::browser
