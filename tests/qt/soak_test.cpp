// The Qt control as the demo terminal hosts it, made and destroyed a few hundred times in one
// process: each cycle starts the plug-in on the SQLite host database, loads its page from the
// sample content server, opens a popup from the page's script and closes it, closes the
// plug-in and destroys the terminal window. The process's resident memory must not grow
// with the cycles.

#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "hosts/demo/content_server.h"
#include "hosts/demo/terminal_window_qt.h"
#include "qt/wait_qt.h"
#include "ui/popup_qt.h"

namespace kvt::demo {
namespace {

using qt_tests::WaitFor;

// KVT_SOAK_CYCLES overrides the count for a quicker look; it never goes below the warm-up.
constexpr int kDefaultCycles = 200;
// Chromium's browser-side state (its network service, caches and pools) and the allocator's
// arenas settle over the first cycles; growth is measured from the end of this one.
constexpr int kWarmUpCycles = 20;
// The bound per cycle. Measured on the 2-core machine over 200 cycles: about 12 KiB a cycle
// without a leak (the engine's pools and caches still settling, and the sample server's
// request log), falling as the cycles go on; a popup dialog kept alive with its view adds
// about 70 KiB a cycle (its page's renderer lives in another process), and a buffer of
// 64 KiB kept per cycle adds its size. So a leak of a page's worth per cycle breaks the
// bound, while the engine's fluctuations (a few MiB at most) stay well inside it. Leaks of
// the control itself or of any window are caught exactly by the checks after each cycle;
// small leaks are the sanitizer builds' to find.
constexpr long long kBoundPerCycleKb = 64;

int Cycles() {
    const char* const text = std::getenv("KVT_SOAK_CYCLES");
    const int cycles = text != nullptr ? std::atoi(text) : kDefaultCycles;
    return cycles > kWarmUpCycles ? cycles : kWarmUpCycles + 1;
}

// The resident set in KiB, read after the allocator has returned its free pages, so heap
// that was freed but kept by malloc does not count as growth.
long long ResidentKb() {
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    long long size = 0;
    long long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The visible popup whose page has loaded: its caption carries the page's title.
ui::PopupDialog* LoadedPopup() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* const dialog = dynamic_cast<ui::PopupDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible() &&
            dialog->windowTitle().contains(QStringLiteral("要闻1"))) {
            return dialog;
        }
    }
    return nullptr;
}

// Runs the deletions that closing and destroying posted, and what the engine queued.
void Settle() {
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

class QtSoakTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        server_.Start();
    }

    // One life of the control, from the terminal window's creation to its destruction.
    void Cycle() {
        int documents = 0;
        auto window = std::make_unique<TerminalWindow>(
            DemoOptions{folder_.filePath("host.sqlite").toStdString(), server_.Address(), ""});
        window->SetDocumentCompleteObserver([&] { ++documents; });
        window->show();
        ASSERT_TRUE(window->StartPlugin()) << window->StatusText().toStdString();
        ASSERT_TRUE(WaitFor([&] { return documents >= 1; })) << "no page";
        const std::weak_ptr<control::TKvNewTavrix> control = window->Facade().Control();
        const auto has_popup = [&] {
            const auto alive = control.lock();
            return alive != nullptr && alive->HasPopup();
        };

        window->Browser().Page()->runJavaScript(
            QStringLiteral("window.open('/tavrix2009/news.aspx?depth=1')"));
        ASSERT_TRUE(WaitFor([] { return LoadedPopup() != nullptr; })) << "no popup";
        ASSERT_TRUE(has_popup());
        LoadedPopup()->close();
        ASSERT_TRUE(WaitFor([&] { return !has_popup(); })) << "the popup stays";

        const CallResult closed = window->Facade().ClosePlugin();
        ASSERT_TRUE(closed.Ok()) << closed.message;
        window.reset();
        Settle();
        ASSERT_TRUE(control.expired()) << "the control outlives its window";
        ASSERT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "a window outlives the cycle";
    }

    QTemporaryDir folder_;
    ContentServer server_;
};

TEST_F(QtSoakTest, ResidentMemoryDoesNotGrowWithTheCycles) {
    const int cycles = Cycles();
    long long after_warm_up = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        Cycle();
        ASSERT_FALSE(HasFatalFailure()) << "cycle " << cycle;
        if (cycle == kWarmUpCycles) {
            after_warm_up = ResidentKb();
        }
    }
    const long long growth = ResidentKb() - after_warm_up;
    std::printf("soak qt: cycles=%d rss_growth_kb=%lld\n", cycles, growth);
    EXPECT_LT(growth, (cycles - kWarmUpCycles) * kBoundPerCycleKb)
        << "resident " << after_warm_up << " KiB after cycle " << kWarmUpCycles;
}

}  // namespace
}  // namespace kvt::demo
