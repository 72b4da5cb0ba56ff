// The demo terminal end to end on Qt WebEngine: the control, the real browser engine, the
// progress and popup windows, the SQLite host database and the sample content server.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBitmap>
#include <QDialog>
#include <QImage>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "hosts/demo/content_page.h"
#include "hosts/demo/sample_market.h"
#include "hosts/demo/terminal_window_qt.h"
#include "qt/wait_qt.h"
#include "ui/load_progress.h"
#include "ui/popup_qt.h"
#include "ui/progress_bar.h"
#include "ui/progress_qt.h"
#include "ui/widget_handles_qt.h"

namespace kvt::demo {
namespace {

constexpr const char* kContentPath = "/tavrix2009/kplm.aspx";

using qt_tests::WaitFor;

class TerminalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        Open();
    }
    void TearDown() override { window_.reset(); }

    std::string DatabasePath() const { return folder_.filePath("host.sqlite").toStdString(); }

    void Open() {
        window_ = std::make_unique<TerminalWindow>(DemoOptions{DatabasePath(), "", ""});
        window_->SetDocumentCompleteObserver([this] { ++documents_; });
        window_->show();
        ASSERT_TRUE(window_->StartPlugin()) << window_->StatusText().toStdString();
        ASSERT_TRUE(WaitFor([&] { return documents_ >= 1; })) << "no first page";
    }

    void Restart() {
        window_->ClosePlugin();
        window_.reset();
        documents_ = 0;
        Open();
    }

    std::vector<RecordedRequest> ContentPosts() const {
        std::vector<RecordedRequest> posts;
        for (const RecordedRequest& request : window_->Server()->Requests()) {
            if (request.method == "POST" && request.path == kContentPath) {
                posts.push_back(request);
            }
        }
        return posts;
    }

    // Clicks the element with that id on the control's page, as the user would.
    void Click(const char* id, QWebEnginePage* page = nullptr) {
        (page != nullptr ? page : window_->Browser().Page())
            ->runJavaScript(QStringLiteral("document.getElementById('%1').click()")
                                .arg(QString::fromLatin1(id)));
    }

    // Waits for the posts and for the page of the last one to complete.
    bool WaitForPosts(std::size_t count) {
        return WaitFor([&] { return ContentPosts().size() >= count; }) &&
               WaitFor([&] { return documents_ >= static_cast<int>(count); });
    }

    control::TKvNewTavrix& Control() { return *window_->Facade().Control(); }

    QTemporaryDir folder_;
    std::unique_ptr<TerminalWindow> window_;
    int documents_ = 0;
};

TEST_F(TerminalTest, FirstShowPostsTheSelectionAndSectorListInGbk) {
    const auto posts = ContentPosts();
    ASSERT_EQ(posts.size(), 1u);
    const RecordedRequest& post = posts[0];
    EXPECT_EQ(post.content_type, "application/x-www-form-urlencoded");
    EXPECT_EQ(post.params.find("user")->second, "demo");
    // 银行 is D2F8 D0D0 in GBK; the space in 证券 保险 becomes "+".
    EXPECT_EQ(post.body.rfind("SelID=0&Range=0XSZ000101&SectorList=%D2%F8%D0%D0%3B101%2C", 0), 0u)
        << post.body;
    const ContentRequest request = ParseContentRequest(post.body);
    const std::vector<SectorEntry> expected = {{"银行", "101"},
                                               {"证券 保险", "102"},
                                               {"钢铁", "103"},
                                               {"新能源", "104"},
                                               {"半导体", "105"}};
    EXPECT_EQ(request.sectors, expected);
    EXPECT_NE(post.body.find("+"), std::string::npos);
}

TEST_F(TerminalTest, PageCommandsReachTheControlAndTheHost) {
    Click("sel-2");
    ASSERT_TRUE(WaitForPosts(2));
    const ContentRequest selected = ParseContentRequest(ContentPosts()[1].body);
    EXPECT_EQ(selected.sel_id, "2");
    EXPECT_EQ(selected.range, "0XSZ000103");
    EXPECT_EQ(Control().LastSeleID(), "2");
    EXPECT_EQ(Control().CurSectorID(), "103");

    Click("key");
    ASSERT_TRUE(WaitFor([&] { return !window_->Controller().HandledKeys().empty(); }));
    EXPECT_EQ(window_->Controller().HandledKeys().front(), 13);
    EXPECT_EQ(window_->StatusText(), QStringLiteral("HandleKey(13)"));

    Click("calluds");
    ASSERT_TRUE(WaitFor([&] { return !window_->Controller().OpenedModules().empty(); }));
    EXPECT_EQ(window_->Controller().OpenedModules().front().second, u"MT=RANGE");

    const std::size_t before = ContentPosts().size();
    Click("refresh");
    ASSERT_TRUE(WaitForPosts(before + 1));
    EXPECT_EQ(ParseContentRequest(ContentPosts().back().body).sel_id, "2");
}

TEST_F(TerminalTest, RangeReferenceIsNavigatedAgainWithTheSectorCode) {
    Click("rid");
    const auto stock_request = [&]() -> std::optional<RecordedRequest> {
        for (const RecordedRequest& request : window_->Server()->Requests()) {
            if (request.path == "/tavrix2009/stock.aspx") {
                return request;
            }
        }
        return std::nullopt;
    };
    ASSERT_TRUE(WaitFor([&] { return stock_request().has_value(); }));
    EXPECT_EQ(stock_request()->params.find("code")->second, "0XSZ000101");
}

TEST_F(TerminalTest, EditingTheSectorTreeRequestsThePageAgain) {
    window_->Sectors().Rename(*window_->Sectors().FindSector(u"101"), u"银行 A");
    ASSERT_TRUE(WaitForPosts(2));
    EXPECT_EQ(ParseContentRequest(ContentPosts()[1].body).sectors.front().name, "银行 A");

    // Hidden, a change waits for the next ShowPlugin.
    ASSERT_TRUE(window_->Facade().HidePlugin().Ok());
    window_->Sectors().SetValid(*window_->Sectors().FindSector(u"102"), false);
    QCoreApplication::processEvents();
    EXPECT_EQ(ContentPosts().size(), 2u);
    ASSERT_TRUE(window_->Facade().ShowPlugin().Ok());
    EXPECT_TRUE(WaitForPosts(3));
}

// The visible popup with that window title, if any.
QDialog* VisiblePopupTitled(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = dynamic_cast<ui::PopupDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible() && dialog->windowTitle() == title) {
            return dialog;
        }
    }
    return nullptr;
}

TEST_F(TerminalTest, NewWindowLinksOpenNestedPopupsWithThePageTitle) {
    Click("news");
    ASSERT_TRUE(WaitFor([&] { return VisiblePopupTitled(QStringLiteral("资讯浏览[要闻1]")); }));
    auto* const first =
        dynamic_cast<ui::PopupDialog*>(VisiblePopupTitled(QStringLiteral("资讯浏览[要闻1]")));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isModal());
    EXPECT_TRUE(Control().HasPopup());

    Click("more", first->View()->page());
    ASSERT_TRUE(WaitFor([&] { return VisiblePopupTitled(QStringLiteral("资讯浏览[要闻2]")); }));
    if (QDialog* const second = VisiblePopupTitled(QStringLiteral("资讯浏览[要闻2]"))) {
        second->close();
    }
    ASSERT_TRUE(WaitFor([&] { return !VisiblePopupTitled(QStringLiteral("资讯浏览[要闻2]")); }));
    EXPECT_TRUE(Control().HasPopup()) << "the control still refers to the first popup";

    first->close();
    EXPECT_TRUE(WaitFor([&] { return !Control().HasPopup(); }));
}

TEST_F(TerminalTest, AHeadlineOpensInAPopupTitledWithIt) {
    const QString title =
        QStringLiteral("资讯浏览[%1]")
            .arg(QString::fromStdString(MakeSampleSector("101").headlines[1].text));
    Click("headline-1");
    ASSERT_TRUE(WaitFor([&] { return VisiblePopupTitled(title); }));
    VisiblePopupTitled(title)->close();
    EXPECT_TRUE(WaitFor([&] { return !Control().HasPopup(); }));
}

TEST_F(TerminalTest, HistoryCommandsMoveBackAndForward) {
    WideString reply;
    ASSERT_TRUE(window_->Facade().ExecCommand(u"GOTOBACK", reply).Ok());
    EXPECT_EQ(reply, u"") << "no back history yet";

    Click("sel-1");
    ASSERT_TRUE(WaitFor([&] { return Control().CanGoBack(); }));
    ASSERT_TRUE(window_->Facade().ExecCommand(u"GOTOBACK", reply).Ok());
    EXPECT_EQ(reply, u"OK");
    ASSERT_TRUE(WaitFor([&] { return Control().CanGoForward() && !Control().CanGoBack(); }));
    ASSERT_TRUE(window_->Facade().ExecCommand(u"GOTOPREV", reply).Ok());
    EXPECT_EQ(reply, u"OK");
    EXPECT_TRUE(WaitFor([&] { return Control().CanGoBack() && !Control().CanGoForward(); }));
}

TEST_F(TerminalTest, PositionSurvivesARestart) {
    Click("sel-3");
    ASSERT_TRUE(WaitForPosts(2));
    Restart();
    const auto posts = ContentPosts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(ParseContentRequest(posts[0].body).sel_id, "3");
    EXPECT_EQ(Control().CurSectorID(), "104");
}

TEST(ProgressWindowTest, BarFillsFromTheLeftAndTheOutlineLeavesTheWhiteOut) {
    ui::ProgressWidget widget;
    EXPECT_FALSE(widget.mask().contains(QPoint(0, 0))) << "rounded corner";
    EXPECT_TRUE(widget.mask().contains(QPoint(100, 60)));
    EXPECT_FALSE(widget.mask().contains(QPoint(218, 140))) << "outside the picture";

    const QPoint left(ui::kBarLeft + 3, ui::kBarTop + 3);
    const QPoint right(ui::kBarLeft + ui::kBarWidth - 4, ui::kBarTop + 3);
    const QRgb bar = ui::kBarColourRgb | 0xFF000000u;
    const struct {
        int percent;
        QRgb at_left;
        QRgb at_right;
    } cases[] = {
        {0, 0xFFFFFFFFu, 0xFFFFFFFFu}, {50, bar, 0xFFFFFFFFu}, {100, bar, bar}, {250, bar, bar}};
    for (const auto& c : cases) {
        widget.SetPercent(c.percent);
        const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(image.pixel(left), c.at_left) << c.percent;
        EXPECT_EQ(image.pixel(right), c.at_right) << c.percent;
    }
}

// A window that went with its parent is not drawn into: the next control that attaches gets a
// new one, centred in that control at its first showing.
TEST(ProgressWindowTest, GoesWithItsParentAndTheNextIsCentredInItsControl) {
    ui::LoadProgress progress(std::make_shared<ui::QtProgressPlatform>());
    auto first = std::make_unique<QWidget>();
    first->resize(600, 330);
    progress.AttachProgress(ui::HandleOfWidget(first.get()));
    progress.StartProgress();
    first.reset();
    progress.SetProgress(50);
    EXPECT_FALSE(progress.HasWindow());

    QWidget second;
    second.resize(400, 300);
    progress.AttachProgress(ui::HandleOfWidget(&second));
    progress.StartProgress();
    const auto* const widget = second.findChild<ui::ProgressWidget*>();
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->isVisibleTo(&second));
    EXPECT_EQ(widget->pos(), QPoint(88, 74));
    progress.FreeProgress();
}

}  // namespace
}  // namespace kvt::demo
