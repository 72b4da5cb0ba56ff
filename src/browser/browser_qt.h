#pragma once
// The browser port on Qt WebEngine: a view with a page whose navigation and new-window
// requests, load progress, load results and history changes become the core's events.

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>
#include <memory>

#include "browser/browser_port.h"
#include "browser/web_view_qt.h"

class QWebEngineLoadingInfo;

namespace kvt::browser {

// A browser's automation object as the core hands it around: the page that a new window's
// content loads in.
class PageHandle final : public InterfaceBase {
  public:
    explicit PageHandle(QWebEnginePage* page) : page_(page) {}
    QWebEnginePage* Page() const { return page_.data(); }

  private:
    QPointer<QWebEnginePage> page_;
};

// How a finished load counts for the core: a document that completed (also an error page
// the engine shows), or a navigation that was cancelled or stopped and completed nothing.
bool LoadCompletedDocument(const QWebEngineLoadingInfo& info);

// The URL text the core sees for an engine URL.
WideString UrlTextOf(const QUrl& url);

class QtBrowser final : public Browser {
  public:
    // Creates the view as a child of `parent`; the parent owns it.
    explicit QtBrowser(QWidget* parent);
    QtBrowser(const QtBrowser&) = delete;
    QtBrowser& operator=(const QtBrowser&) = delete;
    ~QtBrowser() override;

    QWebEngineView* View() const { return view_.data(); }
    QWebEnginePage* Page() const { return page_.data(); }

    void Navigate(const WideString& url, const Variant& flags, const Variant& target_frame_name,
                  const Variant& post_data, const Variant& headers) override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void FocusDocument() override;
    void SetEvents(std::weak_ptr<BrowserEvents> events) override;

    // For hosts and tests: runs after the core has handled each document completion.
    void SetDocumentCompleteObserver(std::function<void(const QUrl&)> observer) {
        document_complete_observer_ = std::move(observer);
    }
    // The most recent failure the core reported for an engine event.
    const CallResult& LastEventFailure() const { return last_failure_; }

  private:
    bool OnNavigationRequest(const QUrl& url, bool main_frame);
    QWebEnginePage* OnNewWindow();
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);
    void OnDocumentComplete(const QUrl& url);
    void ReportCommandState();
    void Report(const CallResult& result);
    std::shared_ptr<BrowserEvents> Events() const { return events_.lock(); }

    QPointer<QWebEngineView> view_;
    QPointer<HookedPage> page_;
    std::weak_ptr<BrowserEvents> events_;
    std::function<void(const QUrl&)> document_complete_observer_;
    CallResult last_failure_;
    bool loading_ = false;
    bool in_navigation_hook_ = false;
    bool can_go_back_ = false;
    bool can_go_forward_ = false;
    // The context of every engine connection and queued call that reaches this browser:
    // they end with it. Declared last, so they end before any state they use.
    QObject context_;
};

}  // namespace kvt::browser
