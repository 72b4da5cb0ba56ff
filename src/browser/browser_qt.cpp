#include "browser/browser_qt.h"

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlSchemeHandler>
#include <utility>

#include "base/errors.h"
#include "browser/engine_setup_qt.h"
#include "browser/url_text.h"
#include "browser/wide_text_qt.h"

namespace kvt::browser {

namespace {

// The engine's code for a navigation that was aborted (cancelled by the navigation hook,
// or replaced by another navigation) rather than failed.
constexpr int kAbortedErrorCode = -3;

QByteArray PostBody(const Variant& post_data) {
    if (post_data.Kind() == VarKind::ByteArray) {
        const Variant::ByteArray& bytes = post_data.ToBytes();
        return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qsizetype>(bytes.size()));
    }
    if (post_data.IsText()) {
        const AnsiString text = post_data.ToAnsi();
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    }
    return {};
}

// "Name: value" lines, separated by any mix of carriage returns and line feeds.
void AddHeaders(QWebEngineHttpRequest& request, const Variant& headers) {
    if (!headers.IsText()) {
        return;
    }
    const QByteArray text = QByteArray::fromStdString(headers.ToAnsi());
    for (const QByteArray& raw : text.split('\n')) {
        for (const QByteArray& line : raw.split('\r')) {
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0) {
                continue;
            }
            request.setHeader(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
        }
    }
}

// Loads of the command scheme that the control let through (words it does not know) end as
// a refused request; nothing is ever served under that scheme.
class CommandSchemeHandler final : public QWebEngineUrlSchemeHandler {
  public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
    }
};

void InstallCommandSchemeHandler(QWebEngineProfile* profile) {
    const QByteArray scheme(kCommandScheme);
    if (profile->urlSchemeHandler(scheme) == nullptr) {
        profile->installUrlSchemeHandler(scheme, new CommandSchemeHandler(profile));
    }
}

}  // namespace

bool LoadCompletedDocument(const QWebEngineLoadingInfo& info) {
    switch (info.status()) {
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            return true;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            // A failed load leaves the engine's error page, which is a document; an aborted
            // one leaves the previous page and completes nothing.
            return info.errorCode() != kAbortedErrorCode;
        case QWebEngineLoadingInfo::LoadStartedStatus:
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            break;
    }
    return false;
}

WideString UrlTextOf(const QUrl& url) {
    return RestorePageWrittenUrl(ToWideString(url.toString()));
}

QtBrowser::QtBrowser(QWidget* parent) {
    const auto [view, page] = CreateWebView(parent);
    view_ = view;
    page_ = page;
    InstallCommandSchemeHandler(page->profile());
    // Page commands are links of a scheme without a handler; script-raised ones count too.
    page->settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowAllUnknownUrlSchemes);
    page->SetNavigationHook(
        [this](const QUrl& url, bool main_frame) { return OnNavigationRequest(url, main_frame); });
    page->SetNewWindowHook([this] { return OnNewWindow(); });

    QObject::connect(page, &QWebEnginePage::loadProgress, &context_, [this](int progress) {
        if (const auto events = Events()) {
            Report(events->ProgressChange(progress, 100));
        }
    });
    QObject::connect(page, &QWebEnginePage::urlChanged, &context_, [this](const QUrl& url) {
        if (const auto events = Events()) {
            Report(events->NavigateComplete2(Variant(UrlTextOf(url))));
        }
        ReportCommandState();
    });
    QObject::connect(page, &QWebEnginePage::loadingChanged, &context_,
                     [this](const QWebEngineLoadingInfo& info) { OnLoadingChanged(info); });
}

QtBrowser::~QtBrowser() {
    if (HookedPage* const page = page_.data()) {
        page->SetNavigationHook(nullptr);
        page->SetNewWindowHook(nullptr);
    }
}

void QtBrowser::SetEvents(std::weak_ptr<BrowserEvents> events) {
    events_ = std::move(events);
}

void QtBrowser::Navigate(const WideString& url, const Variant& /*flags*/,
                         const Variant& /*target_frame_name*/, const Variant& post_data,
                         const Variant& headers) {
    if (!page_) {
        throw EOleError(kEFail, "The browser has been destroyed");
    }
    const QUrl target(ToQString(url));
    if (!target.isValid()) {
        throw EOleError(kEInvalidArg, "Invalid URL: " + WideToUtf8(url));
    }
    QWebEngineHttpRequest request(target);
    const QByteArray body = PostBody(post_data);
    if (!body.isEmpty()) {
        request.setMethod(QWebEngineHttpRequest::Post);
        request.setPostData(body);
    }
    AddHeaders(request, headers);
    if (in_navigation_hook_) {
        // The engine cannot start a navigation from inside its own navigation decision;
        // the load starts as soon as the decision has returned.
        QTimer::singleShot(0, page_, [page = page_.data(), request] { page->load(request); });
        return;
    }
    page_->load(request);
}

void QtBrowser::GoBack() {
    if (QWebEnginePage* const page = page_.data()) {
        page->triggerAction(QWebEnginePage::Back);
    }
}

void QtBrowser::GoForward() {
    if (QWebEnginePage* const page = page_.data()) {
        page->triggerAction(QWebEnginePage::Forward);
    }
}

void QtBrowser::Stop() {
    if (QWebEnginePage* const page = page_.data()) {
        page->triggerAction(QWebEnginePage::Stop);
    }
}

void QtBrowser::FocusDocument() {
    if (view_ && page_ && !page_->url().isEmpty()) {
        view_->setFocus();
    }
}

bool QtBrowser::OnNavigationRequest(const QUrl& url, bool main_frame) {
    const auto events = Events();
    if (!events) {
        return true;
    }
    BrowserEvents::BeforeNavigate event;
    event.url = Variant(UrlTextOf(url));
    in_navigation_hook_ = true;
    const CallResult result = events->BeforeNavigate2(event);
    in_navigation_hook_ = false;
    Report(result);
    if (event.cancel) {
        return false;
    }
    if (!main_frame && !loading_) {
        // The engine reports no completion of a frame that navigates on its own after the
        // page has loaded; its document counts as complete once the navigation is under way.
        QTimer::singleShot(0, &context_, [this, url] { OnDocumentComplete(url); });
    }
    return true;
}

QWebEnginePage* QtBrowser::OnNewWindow() {
    const auto events = Events();
    if (!events) {
        return nullptr;
    }
    BrowserEvents::NewWindow event;
    Report(events->NewWindow2(event));
    if (event.cancel) {
        return nullptr;
    }
    const auto handle = std::dynamic_pointer_cast<PageHandle>(event.window);
    return handle ? handle->Page() : nullptr;
}

void QtBrowser::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        loading_ = true;
        return;
    }
    loading_ = false;
    if (LoadCompletedDocument(info)) {
        OnDocumentComplete(info.url());
    }
    ReportCommandState();
}

void QtBrowser::OnDocumentComplete(const QUrl& url) {
    if (const auto events = Events()) {
        Report(events->DocumentComplete(Variant(UrlTextOf(url))));
    }
    // A copy runs, so the observer may replace itself.
    if (const auto observer = document_complete_observer_) {
        observer(url);
    }
}

// The engine has no history signals; the state is read back after every URL change and
// load result, and each change is reported as the matching command.
void QtBrowser::ReportCommandState() {
    if (!page_) {
        return;
    }
    const bool back = page_->history()->canGoBack();
    const bool forward = page_->history()->canGoForward();
    const auto events = Events();
    if (back != can_go_back_) {
        can_go_back_ = back;
        if (events) {
            Report(events->CommandStateChange(kCommandNavigateBack, back));
        }
    }
    if (forward != can_go_forward_) {
        can_go_forward_ = forward;
        if (events) {
            Report(events->CommandStateChange(kCommandNavigateForward, forward));
        }
    }
}

void QtBrowser::Report(const CallResult& result) {
    if (!result.Ok()) {
        last_failure_ = result;
        qWarning("browser event failed: %s", result.message.c_str());
    }
}

}  // namespace kvt::browser
