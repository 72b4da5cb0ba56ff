// The start of every Qt test program: the engine's process set up before the application
// exists, an offscreen platform unless one is chosen, and the demo's progress window.

#include <gtest/gtest.h>

#include <QApplication>

#include "browser/engine_setup_qt.h"
#include "hosts/demo/terminal_window_qt.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    kvt::browser::PrepareWebEngineProcess();
    QApplication application(argc, argv);
    kvt::demo::InstallQtProgressPlatform();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
