// The Qt browser on the real engine, with a recording event handler instead of the control.

#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/browser_qt.h"
#include "browser/wide_text_qt.h"
#include "hosts/demo/content_server.h"
#include "qt/wait_qt.h"

namespace kvt::browser {
namespace {

using qt_tests::WaitFor;

class RecordingEvents final : public BrowserEvents {
  public:
    CallResult BeforeNavigate2(BeforeNavigate& event) override {
        if (before_navigate) {
            before_navigate(WideToUtf8(event.url.ToWide()));
        }
        return {};
    }
    CallResult NewWindow2(NewWindow& /*event*/) override { return {}; }
    CallResult NavigateComplete2(const Variant& /*url*/) override { return {}; }
    CallResult DocumentComplete(const Variant& url) override {
        completed.push_back(WideToUtf8(url.ToWide()));
        return {};
    }
    CallResult ProgressChange(std::int32_t /*progress*/, std::int32_t /*max*/) override {
        return {};
    }
    CallResult CommandStateChange(std::int32_t /*command*/, bool /*enable*/) override { return {}; }

    bool Completed(const std::string& part) const {
        for (const std::string& url : completed) {
            if (url.find(part) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    std::function<void(const std::string& url)> before_navigate;
    std::vector<std::string> completed;  // UTF-8
};

class QtBrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server_.Start();
        browser_ = std::make_unique<QtBrowser>(&parent_);
        browser_->SetEvents(events_);
    }

    std::string Url(const std::string& path) const { return "http://" + server_.Address() + path; }

    void LoadPage() {
        browser_->Navigate(Utf8ToWide(Url("/tavrix2009/stock.aspx?code=1")), {}, {}, {}, {});
        ASSERT_TRUE(WaitFor([&] { return events_->Completed("stock.aspx"); }));
    }

    // A frame that the loaded page adds navigates on its own; the engine reports no load
    // of it, so the browser reports its completion from a queued call.
    void AddFrame() {
        browser_->Page()->runJavaScript(
            QStringLiteral("const frame = document.createElement('iframe');"
                           "frame.src = '/tavrix2009/quote.aspx';"
                           "document.body.appendChild(frame);"));
    }

    demo::ContentServer server_;
    QWidget parent_;
    std::shared_ptr<RecordingEvents> events_ = std::make_shared<RecordingEvents>();
    std::unique_ptr<QtBrowser> browser_;
};

TEST_F(QtBrowserTest, AFrameNavigatingAfterTheLoadCompletes) {
    LoadPage();
    AddFrame();
    EXPECT_TRUE(WaitFor([&] { return events_->Completed("quote.aspx"); }));
}

TEST_F(QtBrowserTest, AQueuedFrameCompletionDiesWithTheBrowser) {
    LoadPage();
    bool settled = false;
    events_->before_navigate = [&](const std::string& url) {
        if (url.find("quote.aspx") == std::string::npos) {
            return;
        }
        // Posted before the browser queues the frame's completion, so the browser is gone
        // when that call comes due; the last post runs after it.
        QTimer::singleShot(0, &parent_, [&] {
            browser_.reset();
            QTimer::singleShot(0, &parent_, [&] { settled = true; });
        });
    };
    AddFrame();
    ASSERT_TRUE(WaitFor([&] { return settled; }));
    EXPECT_FALSE(events_->Completed("quote.aspx"));
}

TEST_F(QtBrowserTest, ScriptsOnAMadePageReachTheNewWindowHook) {
    const WebView made = CreateWebView(&parent_);
    int requests = 0;
    made.page->SetNewWindowHook([&]() -> QWebEnginePage* {
        ++requests;
        return nullptr;
    });
    bool loaded = false;
    QObject::connect(made.page, &QWebEnginePage::loadFinished, &parent_,
                     [&](bool ok) { loaded = ok; });
    made.page->load(QUrl(QString::fromStdString(Url("/tavrix2009/quote.aspx"))));
    ASSERT_TRUE(WaitFor([&] { return loaded; }));
    made.page->runJavaScript(QStringLiteral("window.open('/tavrix2009/quote.aspx')"));
    EXPECT_TRUE(WaitFor([&] { return requests == 1; }));
}

}  // namespace
}  // namespace kvt::browser
