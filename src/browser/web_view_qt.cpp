#include "browser/web_view_qt.h"

#include <QWebEngineSettings>

namespace kvt::browser {

bool HookedPage::acceptNavigationRequest(const QUrl& url, NavigationType /*type*/,
                                         bool main_frame) {
    return navigation_hook_ ? navigation_hook_(url, main_frame) : true;
}

QWebEnginePage* HookedPage::createWindow(WebWindowType /*type*/) {
    return new_window_hook_ ? new_window_hook_() : nullptr;
}

WebView CreateWebView(QWidget* parent) {
    auto* const view = new QWebEngineView(parent);
    auto* const page = new HookedPage(view);
    view->setPage(page);
    page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    return {view, page};
}

}  // namespace kvt::browser
