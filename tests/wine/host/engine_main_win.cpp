// The Windows test host's engine run: the control drives the scripted engine that the test
// prefix puts in the WebBrowser's place, and the host checks what the control did with each
// event. Prints one line per check; the exit code is 1 when a check failed.
#include <windows.h>

#include <ole2.h>

#include <cstdio>

#include "checks_win.h"
#include "engine_harness_win.h"
#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

HWND MainWindow() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"KvNewTavrixEngineTestHost";
    RegisterClassW(&window_class);
    HWND window = CreateWindowExW(0, window_class.lpszClassName, L"engine test host",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 800, 500, nullptr,
                                  nullptr, window_class.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}

int Run() {
    Checks checks;
    HWND main_window = MainWindow();
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
        CheckReentrancy(checks, engines, main_window);
        CheckPopups(checks, engines, main_window);
        CheckFaults(checks, engines, main_window);
    }
    DestroyWindow(main_window);
    std::printf("%d check(s) failed\n", checks.Failures());
    return checks.Failures();
}

}  // namespace

}  // namespace kvt::wintest

int main() {
    if (FAILED(OleInitialize(nullptr))) {
        std::printf("FAIL: OleInitialize\n");
        return 1;
    }
    const int failures = kvt::wintest::Run();
    OleUninitialize();
    return failures == 0 ? 0 : 1;
}
