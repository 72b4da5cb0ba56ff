// The Windows test host's engine run: the control drives the scripted engine that the test
// prefix puts in the WebBrowser's place, and the host checks what the control did with each
// event. Prints one line per check; the exit code is 1 when a check failed.
#include <windows.h>

#include <ole2.h>

#include <cstdio>

#include "checks_win.h"
#include "engine_harness_win.h"
#include "engine_sections_win.h"
#include "test_host_win.h"

namespace kvt::wintest {

namespace {

int Run() {
    Checks checks;
    const com::UniqueHwnd main_window_owner = MainWindow();
    const HWND main_window = main_window_owner.Get();
    {
        Engines engines;
        checks.Section("engine: stand-in");
        if (!checks.That(engines.Ready(),
                         "the scripted engine's class object answers its directory")) {
            return checks.Failures();
        }
        CheckAmbient(checks, engines, main_window);
        CheckCompletion(checks, engines, main_window);
        CheckHistory(checks, engines, main_window);
        CheckCommands(checks, engines, main_window);
        CheckKeyboard(checks, engines, main_window);
        CheckClick(checks, engines, main_window);
        CheckReentrancy(checks, engines, main_window);
        CheckPopups(checks, engines, main_window);
        CheckQuit(checks, engines, main_window);
        CheckFaults(checks, engines, main_window);
        CheckProgressParent(checks, engines, main_window);
        CheckHostFpu(checks, engines, main_window);
    }
    std::printf("%d check(s) failed\n", checks.Failures());
    return checks.Failures();
}

}  // namespace

}  // namespace kvt::wintest

int main() {
    return kvt::wintest::RunWithOle([] { return kvt::wintest::Run() == 0 ? 0 : 1; });
}
