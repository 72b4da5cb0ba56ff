// Every host call of a whole session failing once, through the real DLL: the session is run
// once clean to count the calls the test host's objects receive (controller, sector tree,
// range items, connection point, recordsets), then once more for every k with the k-th call
// failing with an HRESULT and a description of its own. Each run must not crash; the
// plug-in operation that made the failing call answers its HRESULT with its description in
// the error information (unless the control's contract absorbs the failure, or the call came
// in through an event, whose source gets no answer of ours); every other operation
// succeeds; a later ClosePlugin completes and lets go of the host's objects; the content
// requests that reach the recorder carry the whole sector list, and are no more than the
// clean session's (one more when the failure came inside BeforeNavigate2); and the host's
// table ends with the record the session must write (a failed first close is retried by the
// second, which must save), or with the seeded record untouched when reading it failed.
//   wintest_faults [--list]   (--list: the clean sessions' calls, by step, before the sweep)

#include <winsock2.h>

#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "browser/browser_site_win.h"
#include "com/com_object_win.h"
#include "fault_switch_win.h"
#include "http_recorder_win.h"
#include "test_host_win.h"

namespace kvt::wintest {

namespace {

using com::ComPtr;

// A bound on the wait for the content request, far beyond its time even under emulation.
constexpr DWORD kRequestWait = 20000;
constexpr DISPID kRangeChange = 201;

// The settings record in the host's table: its members, or none when there is no record.
struct Record {
    std::string name;  // the JSON values as written, strings with their quotes
    std::string tag;
    std::string last_sele_id;
    bool operator==(const Record&) const = default;
};

// The content requests' bodies: the first position (the stored one lies beyond the list) and
// its sector's code, with the tree before and after the edit that adds Coal.
constexpr const char* kBodyBefore =
    "SelID=0&Range=0X0001&SectorList=Big+Bank%3B101%2CSteel%3B102%2C";
constexpr const char* kBodyAfter =
    "SelID=0&Range=0X0001&SectorList=Big+Bank%3B101%2CSteel%3B102%2CCoal%3B103%2C";

// Where a session starts and what its content requests carry.
struct SessionKind {
    const char* label;
    // The host's table holds this control's settings record as this text; nullptr: no table.
    // A stored position outside the sector list makes the control select the first sector and
    // store "0", so the record the session must write differs from this one in LastSeleID, and
    // from the initial values in Name and Tag, which the control must keep. String members
    // are stored URL-style, so a space is written "+".
    const char16_t* seed;
    std::optional<Record> expected;  // what the host's table holds after the session
    // The host's HtmlValidate: the content URL carries it as it is, so a command or a range
    // reference in it reaches the control's page-command handling through the browser.
    const wchar_t* validation;
    bool posts;  // whether the content requests reach the recorder
};

const SessionKind kSessions[] = {
    {"returning session", u"{\"Name\":\"sweep+seed\",\"Tag\":7,\"LastSeleID\":\"5\"}",
     Record{"\"sweep+seed\"", "7", "\"0\""}, L"v=faults", true},
    {"first session with page commands", nullptr, Record{"\"\"", "0", "\"0\""},
     L"r=rid{102}&next=zq://key/13", false},
};

bool ReadsStoredSettings(std::string_view entry) {
    return entry.find("select ConfigContent from GeneralConfig") != std::string_view::npos;
}

// Calls whose failure the control absorbs by its documented contract, so the operation
// around them still succeeds: reading the stored settings never reports a database error
// (the control keeps its defaults), and the range listener finds its connection point,
// advises and unadvises silently (the control works on without change events).
bool AbsorbedByContract(std::string_view entry) {
    return ReadsStoredSettings(entry) || entry.starts_with("IDvRanges::FindConnectionPoint") ||
           entry.starts_with("IConnectionPoint::Advise") ||
           entry.starts_with("IConnectionPoint::Unadvise");
}

// One step of the session as the host or an event source sees it.
struct Step {
    std::string name;
    bool plugin_operation = false;  // an IDvPlugin call, whose answer carries a failure
    HRESULT answer = S_OK;
    std::string description;
    std::size_t first_call = 0;  // ordinals of the host calls made inside the step
    std::size_t last_call = 0;
};

struct RunOutcome {
    bool ran = false;  // the control was created and embedded
    std::vector<Step> steps;
    std::size_t calls = 0;
    std::string failed_entry;
    bool failed_in_browser_event = false;
    std::size_t browser_event_calls = 0;
    std::map<std::string, std::size_t> calls_by_interface;
    std::vector<std::pair<std::string, bool>> clean_calls;
    std::optional<std::wstring> stored;  // the settings record's text in the host's table
    std::vector<std::string> posts;      // the bodies of the requests the recorder got
    // References to the host's controller and range object that the control still holds
    // after the last ClosePlugin.
    long controller_refs_kept = 0;
    long ranges_refs_kept = 0;
    std::size_t sinks_after_close = 0;
    std::size_t keys_handled = 0;
    std::vector<std::string> silent;  // steps that answered S_OK but did not do their work
};

// The value of a member of a flat JSON object, as written.
std::string MemberValue(const std::string& text, const std::string& member) {
    const std::string key = "\"" + member + "\":";
    const std::size_t start = text.find(key);
    if (start == std::string::npos) {
        return "(missing)";
    }
    const std::size_t from = start + key.size();
    const std::size_t end =
        text[from] == '"' ? text.find('"', from + 1) + 1 : text.find_first_of(",}", from);
    return text.substr(from, end - from);
}

std::optional<Record> ParseRecord(const std::optional<std::wstring>& text) {
    if (!text) {
        return std::nullopt;
    }
    const std::string json = WideToUtf8(std::u16string(text->begin(), text->end()));
    return Record{MemberValue(json, "Name"), MemberValue(json, "Tag"),
                  MemberValue(json, "LastSeleID")};
}

std::string Describe(const std::optional<Record>& record) {
    if (!record) {
        return "no record";
    }
    return "Name " + record->name + ", Tag " + record->tag + ", LastSeleID " + record->last_sele_id;
}

std::optional<Record> SeededRecord(const SessionKind& kind) {
    if (kind.seed == nullptr) {
        return std::nullopt;
    }
    const std::u16string_view seed(kind.seed);
    return ParseRecord(std::wstring(seed.begin(), seed.end()));
}

// The references held on `object` besides the caller's own.
template <typename Interface>
long References(Interface* object) {
    object->AddRef();
    return static_cast<long>(object->Release());
}

std::optional<std::wstring> StoredRecord(const TableStore& store) {
    const Table* settings = store.Find(L"GeneralConfig");
    if (settings == nullptr) {
        return std::nullopt;
    }
    for (const auto& row : settings->rows) {
        if (row.size() == 2 && row[0] == u"KvTavrix2009") {
            return std::wstring(row[1].begin(), row[1].end());
        }
    }
    return std::nullopt;
}

// The validation a run's host gives: the session's, after a tag naming the run, so that a
// request the browser sends late is told apart from the next run's.
std::string RunTag(const SessionKind& kind, std::size_t ordinal) {
    return "sweep=" + std::to_string(&kind - kSessions) + "." + std::to_string(ordinal) + "&";
}

std::wstring RunValidation(const SessionKind& kind, std::size_t ordinal) {
    const std::string tag = RunTag(kind, ordinal);
    return std::wstring(tag.begin(), tag.end()) + kind.validation;
}

Host SessionHost(const SessionKind& kind, HWND main_window, unsigned short port,
                 const std::wstring& validation) {
    Host host = MakeHost(main_window, port, validation);
    if (kind.seed != nullptr) {
        host.store->Put(L"GeneralConfig",
                        {{u"ConfigID", u"ConfigContent"}, {{u"KvTavrix2009", kind.seed}}});
    } else {
        auto store = std::make_shared<TableStore>();
        store->Put(L"netSYSTEM", {{u"IValue"}, {{u"1"}}});
        host.store = store;
        host.controller = com::MakeComObject<TestController>(host.ranges, store, main_window);
        host.controller->SetParam(L"ServerIP", L"127.0.0.1:" + std::to_wstring(port));
        host.controller->SetParam(L"HtmlValidate", validation);
    }
    return host;
}

// The host's session: start-up (retried once when it fails, as a host may), the first show,
// a hide, an edit of the tree announced on the range object's connection point, a show,
// and the close (retried once when it fails), then one more close.
class Session {
  public:
    Session(const SessionKind& kind, HWND main_window, HttpRecorder& server)
        : kind_(kind), main_window_(main_window), server_(server) {}

    RunOutcome Run(std::size_t failing_ordinal) {
        const ComPtr<IUnknown> control = CreateControl();
        const ComPtr<IDvPlugin> plugin = Plugin(control);
        const auto object = control.As<IOleObject>();
        if (!plugin || !object) {
            return std::move(outcome_);
        }
        const auto site = com::MakeComObject<browser::BrowserSite>(main_window_);
        object->SetClientSite(static_cast<IOleClientSite*>(site.Get()));
        RECT area{0, 0, 600, 330};
        if (object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                           static_cast<IOleClientSite*>(site.Get()), 0, main_window_,
                           &area) != S_OK) {
            return std::move(outcome_);
        }
        outcome_.ran = true;
        const std::wstring validation = RunValidation(kind_, failing_ordinal);
        host_ = SessionHost(kind_, main_window_, server_.Port(), validation);
        const long controller_refs =
            References(static_cast<IDvController*>(host_.controller.Get()));
        const long ranges_refs = References(static_cast<IDvRanges*>(host_.ranges.Get()));
        if (failing_ordinal == 0) {
            HostFaults().RestartClean();
        } else {
            HostFaults().Restart(failing_ordinal);
        }
        Drive(*plugin.Get());
        outcome_.controller_refs_kept =
            References(static_cast<IDvController*>(host_.controller.Get())) - controller_refs;
        outcome_.ranges_refs_kept =
            References(static_cast<IDvRanges*>(host_.ranges.Get())) - ranges_refs;
        Finish();
        const std::string tag = RunTag(kind_, failing_ordinal);
        for (std::size_t i = 0; i < server_.Count(); ++i) {
            const HttpRequest request = server_.At(i);
            if (request.target.find(tag) != std::string::npos) {
                outcome_.posts.push_back(request.body);
            }
        }

        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        return std::move(outcome_);
    }

  private:
    void Drive(IDvPlugin& plugin) {
        IDvController* controller = host_.controller.Get();
        if (FAILED(Do("InitPlugin", [&] { return plugin.InitPlugin(controller, 0); }))) {
            Do("InitPlugin again", [&] { return plugin.InitPlugin(controller, 0); });
        }
        Show(plugin, "ShowPlugin");
        Do("HidePlugin", [&] { return plugin.HidePlugin(); });
        host_.ranges->Tree().Add(com::MakeComObject<TestRangeItem>(L"103", L"Coal", L"3C"));
        Event("range change 201", [&] {
            const std::vector<HRESULT> answers = host_.ranges->FireAnswers(kRangeChange);
            reload_pending_ = reload_pending_ || !answers.empty();
            for (const HRESULT answer : answers) {
                if (answer != S_OK) {
                    return answer;
                }
            }
            return S_OK;
        });
        Show(plugin, "ShowPlugin again");
        if (FAILED(Do("ClosePlugin", [&] { return plugin.ClosePlugin(); }))) {
            Do("ClosePlugin again", [&] { return plugin.ClosePlugin(); });
        }
        Do("ClosePlugin after the close", [&] { return plugin.ClosePlugin(); });
    }

    // A show, and the browser's events of the navigation it starts: the request reaching
    // the recorder when the control has one to make (after the start-up, or after a range
    // change its sink heard), or the page commands the content URL carries. The WebBrowser
    // fires BeforeNavigate2 from inside Navigate2, so those commands run inside ShowPlugin
    // and their host calls are told apart from the show's own by the browser's frames on
    // the stack (InsideBrowserEvent), whatever the speed; what the navigation queues after
    // that is dispatched before the next step. Waiting is only for the request, which
    // arrives from another process.
    void Show(IDvPlugin& plugin, const char* name) {
        const std::size_t seen = server_.Count();
        if (FAILED(Do(name, [&] { return plugin.ShowPlugin(); }))) {
            return;
        }
        const bool expects_request = kind_.posts && reload_pending_;
        reload_pending_ = false;
        Event("browser events", [&] {
            if (!expects_request) {
                DispatchQueuedMessages();
            } else if (!server_.WaitBeyond(seen, kRequestWait)) {
                outcome_.silent.push_back(std::string(name) + " posted no content request");
            }
            return S_OK;
        });
    }

    void Finish() {
        FaultSwitch& faults = HostFaults();
        outcome_.calls = faults.Calls();
        outcome_.failed_entry = faults.FailedEntry();
        outcome_.failed_in_browser_event = faults.FailedInBrowserEvent();
        outcome_.browser_event_calls = faults.BrowserEventCalls();
        outcome_.calls_by_interface = faults.CallsByInterface();
        outcome_.clean_calls = faults.CleanCalls();
        outcome_.stored = StoredRecord(*host_.store);
        outcome_.sinks_after_close = host_.ranges->SinkCount();
        outcome_.keys_handled = host_.controller->HandledKeys().size();
        // Stop counting: releasing the control makes no host calls worth failing.
        faults.Restart(0);
        // A sink the host still holds (its Unadvise failed) may be called after the
        // control has gone: that must do no harm.
        host_.ranges->FireAnswers(kRangeChange);
    }

    template <typename Body>
    HRESULT Do(std::string name, Body&& body) {
        return Record(std::move(name), true, std::forward<Body>(body));
    }
    template <typename Body>
    HRESULT Event(std::string name, Body&& body) {
        return Record(std::move(name), false, std::forward<Body>(body));
    }
    template <typename Body>
    HRESULT Record(std::string name, bool plugin_operation, Body&& body) {
        Step step;
        step.name = std::move(name);
        step.plugin_operation = plugin_operation;
        step.first_call = HostFaults().Calls() + 1;
        SetErrorInfo(0, nullptr);
        step.answer = body();
        if (FAILED(step.answer)) {
            step.description = ThreadError().description;
        }
        step.last_call = HostFaults().Calls();
        outcome_.steps.push_back(std::move(step));
        return outcome_.steps.back().answer;
    }

    const SessionKind& kind_;
    HWND main_window_;
    HttpRecorder& server_;
    Host host_;
    RunOutcome outcome_;
    bool reload_pending_ = true;  // the start-up leaves the first show a request to make
};

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

struct Verdict {
    bool wrong_hresult = false;
    std::string detail;
};

// The plug-in operation that made the failing call answers its HRESULT and description,
// unless the contract absorbs the failure or the call came in through an event (the range
// sink answers its host S_OK by design; the browser gets no answer it would pass on);
// every other step succeeds.
Verdict Judge(const RunOutcome& run, std::size_t ordinal) {
    Verdict verdict;
    const HRESULT code = FaultSwitch::InjectedCode(ordinal);
    const std::string description = FaultSwitch::InjectedDescription(ordinal, run.failed_entry);
    for (const Step& step : run.steps) {
        const bool made_it = step.first_call <= ordinal && ordinal <= step.last_call;
        const bool reported = made_it && step.plugin_operation && !run.failed_in_browser_event &&
                              !AbsorbedByContract(run.failed_entry);
        const bool right =
            reported ? step.answer == code && step.description == description : step.answer == S_OK;
        if (!right) {
            verdict.wrong_hresult = true;
            verdict.detail +=
                "\n  " + step.name + ": " + Hex(step.answer) + " \"" + step.description + "\"" +
                (reported ? " (expected " + Hex(code) + " \"" + description + "\")" : "");
        }
    }
    return verdict;
}

struct Tally {
    std::size_t injected = 0;
    std::size_t wrong_hresults = 0;
    std::size_t lost_saves = 0;
    std::size_t wrong_posts = 0;
    std::size_t other_failures = 0;
    std::size_t absorbed = 0;
    std::size_t in_events = 0;
    std::map<std::string, std::size_t> by_interface;
};

bool g_list = false;

// What a crash report names: the session and the run under way.
const char* g_session = "";
std::size_t g_run = 0;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    std::printf("CRASH: %s, run %zu: exception 0x%08lX\n", g_session, g_run,
                static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode));
    std::fflush(stdout);
    ExitProcess(3);
}

void Fail(Tally& tally, const std::string& what) {
    ++tally.other_failures;
    std::printf("FAIL: %s\n", what.c_str());
}

// Runs the session clean, then once for every host call it made with that call failing.
bool Sweep(const SessionKind& kind, HWND main_window, HttpRecorder& server, Tally& tally) {
    g_session = kind.label;
    g_run = 0;
    const RunOutcome clean = Session(kind, main_window, server).Run(0);
    if (!clean.ran) {
        std::printf("FAIL: %s: the control is not created and embedded\n", kind.label);
        return false;
    }
    const std::vector<std::string> clean_posts =
        kind.posts ? std::vector<std::string>{kBodyBefore, kBodyAfter} : std::vector<std::string>{};
    bool sound = clean.calls > 0 && clean.calls < 0x10000 &&
                 ParseRecord(clean.stored) == kind.expected && clean.posts == clean_posts &&
                 clean.controller_refs_kept == 0 && clean.ranges_refs_kept == 0 &&
                 clean.silent.empty() && clean.sinks_after_close == 0 && DamagedHeaps() == 0 &&
                 (kind.posts || (clean.keys_handled > 0 && clean.browser_event_calls > 0));
    for (const Step& step : clean.steps) {
        sound = sound && step.answer == S_OK;
    }
    if (!sound) {
        std::printf(
            "FAIL: %s: the clean session does not run as a host expects (%zu calls, %zu keys "
            "handled, %zu calls through browser events, %zu requests, record: %s)\n",
            kind.label, clean.calls, clean.keys_handled, clean.browser_event_calls,
            clean.posts.size(), Describe(ParseRecord(clean.stored)).c_str());
        for (const std::string& body : clean.posts) {
            std::printf("  posted %s\n", body.c_str());
        }
        for (const Step& step : clean.steps) {
            std::printf("  %s: %s %s\n", step.name.c_str(), Hex(step.answer).c_str(),
                        step.description.c_str());
        }
        return false;
    }
    if (g_list) {
        std::printf("%s:\n", kind.label);
        for (const Step& step : clean.steps) {
            for (std::size_t k = step.first_call; k <= step.last_call; ++k) {
                const auto& [entry, in_event] = clean.clean_calls[k - 1];
                std::printf("  %3zu %-28s %s%s\n", k, step.name.c_str(), entry.c_str(),
                            in_event ? "  [browser event]" : "");
            }
        }
    }
    for (const auto& [name, count] : clean.calls_by_interface) {
        tally.by_interface[name] += count;
    }
    tally.in_events += clean.browser_event_calls;

    for (std::size_t k = 1; k <= clean.calls; ++k) {
        g_run = k;
        const RunOutcome run = Session(kind, main_window, server).Run(k);
        const std::string call =
            std::string(kind.label) + ", call " + std::to_string(k) + " (" + run.failed_entry + ")";
        if (!run.ran) {
            Fail(tally, call + ": the control is not created and embedded");
            continue;
        }
        if (run.failed_entry.empty()) {
            Fail(tally, call + ": the call was never made");
            continue;
        }
        ++tally.injected;
        if (AbsorbedByContract(run.failed_entry)) {
            ++tally.absorbed;
        }
        const Verdict verdict = Judge(run, k);
        if (verdict.wrong_hresult) {
            ++tally.wrong_hresults;
            std::printf("FAIL: %s: wrong answer%s\n", call.c_str(), verdict.detail.c_str());
        }
        // A failed read of the stored record leaves the control on its initial values, which
        // it must not save over the record it never saw; every other run saves.
        const std::optional<Record> expected =
            ReadsStoredSettings(run.failed_entry) ? SeededRecord(kind) : kind.expected;
        if (ParseRecord(run.stored) != expected) {
            ++tally.lost_saves;
            std::printf("FAIL: %s: the host's table holds %s, not %s\n", call.c_str(),
                        Describe(ParseRecord(run.stored)).c_str(), Describe(expected).c_str());
        }
        // A failure inside BeforeNavigate2 leaves the navigation it was deciding on
        // uncancelled, so a content request that the page commands would have stopped may
        // reach the recorder: one more than the clean session's, and whole.
        const std::size_t allowed_posts =
            clean_posts.size() + (run.failed_in_browser_event ? 1 : 0);
        bool posts_right = run.posts.size() <= allowed_posts;
        for (const std::string& body : run.posts) {
            posts_right = posts_right && (body == kBodyBefore || body == kBodyAfter);
        }
        if (!posts_right) {
            ++tally.wrong_posts;
            std::printf("FAIL: %s: %zu content requests (at most %zu expected):\n", call.c_str(),
                        run.posts.size(), allowed_posts);
            for (const std::string& body : run.posts) {
                std::printf("  posted %s\n", body.c_str());
            }
        }
        if (run.controller_refs_kept != 0 || run.ranges_refs_kept != 0) {
            Fail(tally, call + ": after ClosePlugin the control still holds " +
                            std::to_string(run.controller_refs_kept) +
                            " references to the host's controller and " +
                            std::to_string(run.ranges_refs_kept) + " to its range object");
        }
        const bool unadvise_failed = run.failed_entry.starts_with("IConnectionPoint::Unadvise");
        if (run.sinks_after_close != 0 && !unadvise_failed) {
            Fail(tally, call + ": the range sink is still advised after the close");
        }
        for (const std::string& silent : run.silent) {
            Fail(tally, call + ": " + silent);
        }
        if (const std::size_t damaged = DamagedHeaps(); damaged != 0) {
            Fail(tally, call + ": " + std::to_string(damaged) + " heaps fail validation");
        }
    }
    return true;
}

int Run() {
    SetUnhandledExceptionFilter(ReportCrash);
    const com::UniqueHwnd main_window = MainWindow();
    HttpRecorder server;
    Tally tally;
    bool swept = true;
    for (const SessionKind& kind : kSessions) {
        swept = Sweep(kind, main_window.Get(), server, tally) && swept;
    }
    std::printf(
        "faults wine%d: injected=%zu crashes=0 wrong_hresults=%zu lost_saves=%zu wrong_posts=%zu\n",
        static_cast<int>(sizeof(void*)) * 8, tally.injected, tally.wrong_hresults, tally.lost_saves,
        tally.wrong_posts);
    std::string split;
    for (const auto& [name, count] : tally.by_interface) {
        split += " " + name + "=" + std::to_string(count);
    }
    std::printf(
        "  calls swept by interface:%s; through browser events %zu, absorbed by "
        "contract %zu\n",
        split.c_str(), tally.in_events, tally.absorbed);
    return swept && tally.wrong_hresults == 0 && tally.lost_saves == 0 && tally.wrong_posts == 0 &&
                   tally.other_failures == 0
               ? 0
               : 1;
}

}  // namespace

}  // namespace kvt::wintest

int main(int argc, char** argv) {
    kvt::wintest::g_list = argc > 1 && std::string_view(argv[1]) == "--list";
    return kvt::wintest::RunWithOle([] { return kvt::wintest::Run(); });
}
