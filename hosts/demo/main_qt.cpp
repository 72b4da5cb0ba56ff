// The demo terminal: ./kvt_demo [--db FILE] [--server HOST:PORT] [--screenshot FILE]

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "base/errors.h"
#include "browser/engine_setup_qt.h"
#include "hosts/demo/demo_host.h"
#include "hosts/demo/terminal_window_qt.h"

namespace {

constexpr int kScreenshotTimeoutMs = 60000;
// Lets the page paint after its completion before the window is captured.
constexpr int kScreenshotSettleMs = 500;

void ArrangeScreenshot(kvt::demo::TerminalWindow& window, const QString& file) {
    window.SetDocumentCompleteObserver([&window, file] {
        window.SetDocumentCompleteObserver(nullptr);
        QTimer::singleShot(kScreenshotSettleMs, &window, [&window, file] {
            const bool saved = window.grab().save(file, "PNG");
            std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write",
                         file.toLocal8Bit().constData());
            window.close();
            QCoreApplication::exit(saved ? 0 : 1);
        });
    });
    QTimer::singleShot(kScreenshotTimeoutMs, &window, [] {
        std::fprintf(stderr, "no page arrived within %d s\n", kScreenshotTimeoutMs / 1000);
        QCoreApplication::exit(1);
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    kvt::demo::DemoOptions options;
    try {
        options = kvt::demo::ParseDemoOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const kvt::Exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    if (!options.screenshot.empty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    kvt::browser::PrepareWebEngineProcess();
    QApplication application(argc, argv);
    kvt::demo::InstallQtProgressPlatform();
    try {
        kvt::demo::TerminalWindow window(options);
        if (!options.screenshot.empty()) {
            ArrangeScreenshot(window, QString::fromStdString(options.screenshot));
        }
        window.show();
        window.StartPlugin();
        const int code = QApplication::exec();
        window.ClosePlugin();
        return code;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kvt_demo: %s\n", error.what());
        return 1;
    }
}
