// Endurance of the control in one host process: many whole lifecycles, each as a host
// drives it (create by ProgID, embed in place, InitPlugin, ShowPlugin posting its request to
// the local recorder, a range change, HidePlugin, ClosePlugin, deactivation and release).
// The process's GDI and USER object counts and its private bytes are read after the warm-up
// and after the last cycle; their growth is printed in one line and bounded by what a leak
// of one handle, or of a page of memory, per cycle would exceed.
//   wintest_soak [CYCLES [--heap-checked]]   (default 1000; --heap-checked: Wine's heap checking
//   is on, whose fill patterns and delayed frees grow the working set by themselves, so the
//   memory figure is printed but not bounded)

#include <winsock2.h>

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "browser/browser_site_win.h"
#include "com/com_object_win.h"
#include "http_recorder_win.h"
#include "test_host_win.h"

namespace kvt::wintest {

namespace {

using com::ComPtr;

constexpr int kDefaultCycles = 1000;
constexpr int kWarmUpCycles = 100;
constexpr DWORD kRequestWait = 15000;
constexpr long long kPageKb = 4;

struct Usage {
    long long gdi = 0;
    long long user = 0;
    long long windows = 0;
    long long private_kb = 0;
    long long working_set_kb = 0;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<long long*>(count);
        EnumChildWindows(window, CountWindow, count);
    }
    return TRUE;
}

// The windows of this process, top-level and child, counted one by one: the USER objects
// that a leaking control would leave most of.
long long ProcessWindows() {
    long long count = 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

Usage MeasureUsage() {
    Usage usage;
    const HANDLE process = GetCurrentProcess();
    usage.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    usage.user = GetGuiResources(process, GR_USEROBJECTS);
    usage.windows = ProcessWindows();
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof(counters))) {
        usage.private_kb = static_cast<long long>(counters.PrivateUsage / 1024);
        usage.working_set_kb = static_cast<long long>(counters.WorkingSetSize / 1024);
    }
    return usage;
}

// Wine answers GetGuiResources with 0 and leaves PrivateUsage at 0: there the USER figure
// counts the process's windows and the memory figure its working set, and the line below
// the figures says so.
struct Growth {
    long long gdi;
    long long user;
    long long memory_kb;
    const char* measures;
};

Growth GrowthBetween(const Usage& warm, const Usage& last) {
    const bool gui_counted = warm.user != 0;
    const bool private_counted = warm.private_kb != 0;
    return {last.gdi - warm.gdi, gui_counted ? last.user - warm.user : last.windows - warm.windows,
            private_counted ? last.private_kb - warm.private_kb
                            : last.working_set_kb - warm.working_set_kb,
            gui_counted && private_counted
                ? "GetGuiResources, private bytes"
                : "GDI objects not counted by this system (GetGuiResources answers 0); USER "
                  "objects as the process's windows; memory as the working set"};
}

// One lifecycle; false (with the step named) when a step does not answer as a host expects.
bool Cycle(HWND main_window, HttpRecorder& server, const char*& failed_step) {
    const ComPtr<IUnknown> control = CreateControl();
    const ComPtr<IDvPlugin> plugin = Plugin(control);
    const auto object = control.As<IOleObject>();
    if (!plugin || !object) {
        failed_step = "create by ProgID";
        return false;
    }
    const auto site = com::MakeComObject<browser::BrowserSite>(main_window);
    object->SetClientSite(static_cast<IOleClientSite*>(site.Get()));
    RECT area{0, 0, 600, 330};
    if (object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site.Get()),
                       0, main_window, &area) != S_OK) {
        failed_step = "embed in place";
        return false;
    }
    Host host = MakeHost(main_window, server.Port(), L"v=soak");
    if (plugin->InitPlugin(static_cast<IDvController*>(host.controller.Get()), 0) != S_OK) {
        failed_step = "InitPlugin";
        return false;
    }
    std::size_t seen = server.Count();
    if (plugin->ShowPlugin() != S_OK || !server.WaitBeyond(seen, kRequestWait)) {
        failed_step = "ShowPlugin posts";
        return false;
    }
    seen = server.Count();
    if (host.ranges->Fire(201) != 1 || !server.WaitBeyond(seen, kRequestWait)) {
        failed_step = "a range change re-posts";
        return false;
    }
    if (plugin->HidePlugin() != S_OK || plugin->ClosePlugin() != S_OK) {
        failed_step = "HidePlugin and ClosePlugin";
        return false;
    }
    if (object->Close(OLECLOSE_NOSAVE) != S_OK) {
        failed_step = "deactivation";
        return false;
    }
    object->SetClientSite(nullptr);
    return true;
}

int Run(int cycles, bool heap_checked) {
    const com::UniqueHwnd main_window = MainWindow();
    HttpRecorder server;
    Usage warm{};
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        const char* failed_step = "";
        if (!Cycle(main_window.Get(), server, failed_step)) {
            std::printf("FAIL: cycle %d: %s\n", cycle, failed_step);
            return 1;
        }
        PumpMessages(0);
        if (const std::size_t damaged = DamagedHeaps(); damaged != 0) {
            std::printf("FAIL: cycle %d: %zu heaps fail validation\n", cycle, damaged);
            return 1;
        }
        if (cycle == kWarmUpCycles) {
            warm = MeasureUsage();
        }
    }
    const Growth growth = GrowthBetween(warm, MeasureUsage());
    const int measured = cycles - kWarmUpCycles;
    std::printf("soak wine%d: cycles=%d gdi_growth=%lld user_growth=%lld memory_growth_kb=%lld\n",
                static_cast<int>(sizeof(void*) * 8), cycles, growth.gdi, growth.user,
                growth.memory_kb);
    std::printf("  measured after cycle %d and after cycle %d: %s\n", kWarmUpCycles, cycles,
                growth.measures);
    // A leak of one handle, or of one page, in every measured cycle would pass these.
    const bool memory_bounded = heap_checked || growth.memory_kb < measured * kPageKb;
    const bool bounded = growth.gdi < measured && growth.user < measured && memory_bounded;
    std::printf("%s: growth stays below one handle%s per cycle\n", bounded ? "ok" : "FAIL",
                heap_checked ? " (memory not bounded under heap checking)" : " and one page");
    return bounded ? 0 : 1;
}

}  // namespace

}  // namespace kvt::wintest

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : kvt::wintest::kDefaultCycles;
    const bool heap_checked = argc > 2 && std::string_view(argv[2]) == "--heap-checked";
    if (cycles <= kvt::wintest::kWarmUpCycles) {
        std::printf("usage: wintest_soak [CYCLES above %d [--heap-checked]]\n",
                    kvt::wintest::kWarmUpCycles);
        return 2;
    }
    return kvt::wintest::RunWithOle(
        [cycles, heap_checked] { return kvt::wintest::Run(cycles, heap_checked); });
}
