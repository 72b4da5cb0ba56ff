// A host's floating-point settings. A 32-bit host terminal sets the x87 control word itself
// (_controlfp: a 53-bit or 24-bit significand, another rounding) before it calls the
// control, and the browser's events then run on its message loop under that word. The
// control must show the same progress and keep the same settings record as under the
// default word, and leave the host's settings as it found them after every call.
//
// On x86-64 double arithmetic runs on the SSE unit, whose rounding _controlfp sets there
// (precision control does not exist for it); the x87 unit still rounds long double and the
// C runtime's nearbyint, and Windows starts 64-bit processes with its precision at a 53-bit
// significand. The 64-bit run therefore sets the SSE rounding with _controlfp and the x87
// word directly.
#include <exdispid.h>
#include <float.h>

#include <cstdio>
#include <functional>

#include "base/host_fpu_settings.h"
#include "base/text.h"
#include "engine_sections_win.h"

namespace kvt::wintest {

namespace {

struct HostSetting {
    const char* what;
    std::function<void()> apply;
};

std::vector<HostSetting> HostSettings() {
#if defined(__i386__)
    return {
        {"53-bit significand (_controlfp _PC_53)", [] { _controlfp(_PC_53, _MCW_PC); }},
        {"24-bit significand (_controlfp _PC_24)", [] { _controlfp(_PC_24, _MCW_PC); }},
        {"rounding toward zero (_controlfp _RC_CHOP)", [] { _controlfp(_RC_CHOP, _MCW_RC); }},
    };
#else
    const auto set_x87 = [](std::uint16_t x87) {
        test::FpuWords words = test::ReadFpuWords();
        words.x87 = x87;
        test::SetFpuWords(words);
    };
    return {
        {"SSE rounding toward zero (_controlfp _RC_CHOP)", [] { _controlfp(_RC_CHOP, _MCW_RC); }},
        {"x87 53-bit significand, as Windows starts a 64-bit process", [=] { set_x87(0x027F); }},
        {"x87 rounding toward zero", [=] { set_x87(0x0F7F); }},
    };
#endif
}

std::string WordsText(const test::FpuWords& words) {
    char text[48];
#if KVT_TEST_SSE
    std::snprintf(text, sizeof text, "x87=0x%04X mxcsr=0x%04X", words.x87,
                  static_cast<unsigned>(words.sse));
#else
    std::snprintf(text, sizeof text, "x87=0x%04X", words.x87);
#endif
    return text;
}

// A page that reports its progress as DWebBrowserEvents2::ProgressChange documents it
// (Progress of ProgressMax, Progress -1 once the load is complete): nothing known yet,
// 23 of 40, 7 of 40, then -1.
TestPage ProgressPage() {
    TestPage page;
    page.title = L"host fpu";
    page.before = {{0, 0}, {23, 40}};
    page.after = {{7, 40}};
    page.after_complete = {{-1, 40}};
    return page;
}

// The stored record the first control reads, with a number the JSON reader scales. Its
// significand fits in 24 bits: qemu-user, which runs 32-bit Wine where the kernel runs no
// 32-bit programs, rounds an x87 load of a double (FLD m64) to the precision control's width,
// which hardware never does, so a wider number would measure the emulator, not the control.
constexpr char16_t kSeededRecord[] = u"{\"Name\":\"fpu\",\"Tag\":1.6777215E7,\"LastSeleID\":\"0\"}";

// What one run under one setting showed.
struct Outcome {
    std::string calls;        // each plug-in call's HRESULT, and its error text when it failed
    std::string fill;         // the bar at each ProgressChange (-1: hidden)
    std::string first_saved;  // the record the first control left
    std::string request;      // the second control's content request, from the saved record
    std::string second_saved;
    std::vector<std::string> changed;  // the calls after which the host's settings differed

    bool operator==(const Outcome&) const = default;
};

// "name=0x00000000 ", with the thread's error description when the call failed.
std::string CallText(const char* name, HRESULT result) {
    char text[64];
    std::snprintf(text, sizeof text, "%s=0x%08lX", name, static_cast<unsigned long>(result));
    std::string line = text;
    com::ComPtr<IErrorInfo> error;
    if (FAILED(result) && GetErrorInfo(0, error.Out()) == S_OK && error) {
        BSTR description = nullptr;
        if (SUCCEEDED(error->GetDescription(&description)) && description != nullptr) {
            line += " (" + Utf8(description) + ")";
            SysFreeString(description);
        }
    }
    return line + " ";
}

std::string StoredRecord(const TableStore& store) {
    const Table* table = store.Find(L"GeneralConfig");
    std::string text;
    if (table == nullptr) {
        return text;
    }
    for (const auto& row : table->rows) {
        text += WideToUtf8(row[0]) + "=" + WideToUtf8(row[1]) + ";";
    }
    return text;
}

// Notes each call into the control after which the thread's settings are not the host's.
class SettingsWatch {
  public:
    explicit SettingsWatch(std::vector<std::string>& changed)
        : host_(test::ReadFpuWords()), changed_(changed) {}
    void After(const std::string& call) {
        const test::FpuWords now = test::ReadFpuWords();
        if (now != host_) {
            changed_.push_back(call + " left " + WordsText(now));
            test::SetFpuWords(host_);
        }
    }

  private:
    test::FpuWords host_;
    std::vector<std::string>& changed_;
};

std::string Fills(const EventLog& log) {
    std::string text;
    for (const SeenEvent& seen : log.Of(DISPID_PROGRESSCHANGE)) {
        const int fill =
            seen.progress_visible ? (seen.paints.empty() ? -2 : seen.paints.back()) : -1;
        text += (text.empty() ? "" : ",") + std::to_string(fill);
    }
    return "[" + text + "]";
}

// The first control: a page load with its progress, a page command that selects the
// sector at position 1, and the record it saves at ClosePlugin.
void RunFirstControl(Engines& engines, HWND main_window, Outcome& outcome,
                     std::shared_ptr<TableStore>& saved) {
    SettingsWatch watch(outcome.changed);
    EmbeddedControl control(engines, main_window, kEmbedArea);
    watch.After("creation and in-place activation");
    if (!control.Ready()) {
        outcome.fill = "no control";
        return;
    }
    control.Host().store->Put(
        L"GeneralConfig", {{u"ConfigID", u"ConfigContent"}, {{u"KvTavrix2009", kSeededRecord}}});
    outcome.calls += CallText("InitPlugin", control.Start(kLayoutArea));
    watch.After("InitPlugin");
    IScriptedEngine& engine = control.Engine();
    ProgressWatch progress(control.Window());
    {
        EventLog log(engines, &progress);
        log.SetAfter([&](IScriptedEngine&, const EngineEvent& event) {
            watch.After("event " + std::to_string(event.id));
        });
        const TestPage page = ProgressPage();
        const engine::PageScript script = page.Script();
        engine.QueuePage(&script);
        outcome.calls += CallText("ShowPlugin", control.Plugin().ShowPlugin());
        watch.After("ShowPlugin");
        WaitIdle(engine);
        outcome.fill = Fills(log);
        engine.ClickLink(L"zq://SelectID/102/1");
        WaitIdle(engine);
    }
    outcome.calls += CallText("ClosePlugin", control.Plugin().ClosePlugin());
    watch.After("ClosePlugin");
    outcome.first_saved = StoredRecord(*control.Host().store);
    saved = control.Host().store;
    control.Release();
    watch.After("the container's release");
}

// The second control starts on the database the first one left.
void RunSecondControl(Engines& engines, HWND main_window, Outcome& outcome,
                      const TableStore& saved) {
    SettingsWatch watch(outcome.changed);
    EmbeddedControl control(engines, main_window, kEmbedArea);
    if (!control.Ready()) {
        outcome.request = "no control";
        return;
    }
    if (const Table* table = saved.Find(L"GeneralConfig")) {
        control.Host().store->Put(L"GeneralConfig", *table);
    }
    outcome.calls += CallText("InitPlugin", control.Start(kLayoutArea));
    watch.After("InitPlugin (second control)");
    IScriptedEngine& engine = control.Engine();
    const std::size_t before = RecordSize(engine);
    outcome.calls += CallText("ShowPlugin", control.Plugin().ShowPlugin());
    watch.After("ShowPlugin (second control)");
    WaitIdle(engine);
    outcome.request = Joined(Starting(RecordOf(engine, before), "Navigate "));
    outcome.calls += CallText("ClosePlugin", control.Plugin().ClosePlugin());
    watch.After("ClosePlugin (second control)");
    outcome.second_saved = StoredRecord(*control.Host().store);
    control.Release();
    watch.After("the container's release (second control)");
}

Outcome RunUnderCurrentSettings(Engines& engines, HWND main_window) {
    Outcome outcome;
    std::shared_ptr<TableStore> saved;
    RunFirstControl(engines, main_window, outcome, saved);
    if (saved) {
        RunSecondControl(engines, main_window, outcome, *saved);
    }
    return outcome;
}

void CheckDefault(Checks& checks, const Outcome& outcome) {
    checks.That(outcome.calls.find("=0x8") == std::string::npos,
                "every plug-in call succeeds: " + outcome.calls);
    const std::string fill = "[" + std::to_string(FillFor(0)) + "," + std::to_string(FillFor(57)) +
                             "," + std::to_string(FillFor(18)) + ",-1]";
    checks.Equal(outcome.fill, fill,
                 "ProgressChange (0, 0), (23, 40), (7, 40) show 0 %, 57 % and 18 % (pixels "
                 "filled), (-1, 40) after completion leaves the window hidden");
    const std::string record =
        "KvTavrix2009={\"Name\":\"fpu\",\"Tag\":16777215,\"LastSeleID\":\"1\"};";
    checks.Equal(outcome.first_saved, record,
                 "ClosePlugin saves the record read at InitPlugin with the selected position");
    checks.That(
        outcome.request.find("post=UI1[]:SelID=1&") != std::string::npos,
        "the next control's content request selects the saved position: " + outcome.request);
    checks.Equal(outcome.second_saved, record, "and it saves the same record again");
}

void CheckAgainstDefault(Checks& checks, const Outcome& outcome, const Outcome& reference,
                         const std::string& what) {
    checks.Equal(outcome.calls, reference.calls, what + ": the same plug-in calls' results");
    checks.Equal(outcome.fill, reference.fill, what + ": the same progress");
    checks.Equal(outcome.first_saved, reference.first_saved, what + ": the same saved record");
    checks.Equal(outcome.request, reference.request,
                 what + ": the same content request from the saved record");
    checks.Equal(outcome.second_saved, reference.second_saved,
                 what + ": the same record saved again");
}

}  // namespace

void CheckHostFpu(Checks& checks, Engines& engines, HWND main_window) {
    checks.Section("engine: host fpu");
    const test::FpuWords initial = test::ReadFpuWords();
    std::printf("default settings: %s\n", WordsText(initial).c_str());
    const Outcome reference = RunUnderCurrentSettings(engines, main_window);
    CheckDefault(checks, reference);
    checks.That(reference.changed.empty(),
                "the default settings are unchanged after every call into the control" +
                    (reference.changed.empty() ? "" : ": " + Joined(reference.changed)));
    for (const HostSetting& setting : HostSettings()) {
        setting.apply();
        const test::FpuWords host = test::ReadFpuWords();
        std::printf("host settings %s: %s\n", setting.what, WordsText(host).c_str());
        checks.That(host != initial, std::string(setting.what) + " changes the settings");
        const Outcome outcome = RunUnderCurrentSettings(engines, main_window);
        test::SetFpuWords(initial);
        CheckAgainstDefault(checks, outcome, reference, setting.what);
        checks.That(outcome.changed.empty(),
                    std::string(setting.what) +
                        ": the host's settings are unchanged after every call into the control" +
                        (outcome.changed.empty() ? "" : ": " + Joined(outcome.changed)));
    }
}

}  // namespace kvt::wintest
