// Every host call of a full session failing once: the session is run once to count the calls
// that the host fakes receive (controller, ranges, range items, connection point and
// recordsets), then once more for every k with the k-th call failing with an HRESULT of its
// own. Each run must complete, report the failure where the core's contract says it goes,
// close, and keep the selection in the host database.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/control_harness.h"

namespace kvt::control {
namespace {

using fakes::ControlHarness;
using fakes::FakeRangeItem;

constexpr const char* kSelection = "1";  // the list position that zq://SelectID/102/1 selects
constexpr const char* kSectorsBefore = "SectorList=Bank%3B101%2CSteel%3B102%2C";
constexpr const char* kSectorsAfter = "SectorList=Bank%3B101%2CSteel%3B102%2CZinc%3B103%2C";

// The customer bit (0x20000000) is set, so no system HRESULT and none that the core makes
// equals it; the low word is the ordinal of the failing call.
HResult InjectedCode(std::size_t ordinal) {
    return static_cast<HResult>(0xA0F50000u | static_cast<std::uint32_t>(ordinal & 0xFFFFu));
}

// Calls whose failure the core absorbs by its documented contract, so the operation around
// them still succeeds: the settings store's reads never report a database error (the
// control keeps its defaults), and the range listener advises and unadvises silently (the
// control works on without change events).
bool AbsorbedByContract(std::string_view entry) {
    return entry.find("select ConfigContent from GeneralConfig") != std::string_view::npos ||
           entry == "ChangeEvents" || entry == "Advise" || entry.starts_with("Unadvise ");
}

std::shared_ptr<FakeRangeItem> EditedTree() {
    auto metals = FakeRangeItem::Group("metals", {FakeRangeItem::Sector("102", "Steel", "1A2B"),
                                                  FakeRangeItem::Sector("103", "Zinc", "3C4D")});
    return FakeRangeItem::Group("root", {FakeRangeItem::Sector("101", "Bank", "0065"), metals});
}

// One step of the session as the host or an event source sees it.
struct Step {
    std::string name;
    CallResult result;
    std::size_t first_call = 0;  // ordinals of the host calls made inside the step
    std::size_t last_call = 0;
};

struct RunOutcome {
    std::vector<Step> steps;
    std::size_t calls = 0;
    std::optional<std::string> stored;
    std::vector<std::string> content_posts;  // the bodies of the content requests
    bool closed_for_good = false;
    std::string failed_entry;  // the call that failed by its ordinal; empty if none did
};

// Where a session starts and whether the page chooses a sector in it.
struct SessionKind {
    const char* label;
    const char* stored;  // the stored selection the session finds; nullptr: no settings table
    bool selects;        // whether the page raises zq://SelectID/102/1
};

// A first session starts on a host database without the settings table; a returning one
// finds the table with this control's row, written past the fakes so that it makes no host
// call. Either way the selection that the database holds at the end is position 1.
constexpr SessionKind kSessions[] = {
    {"first session", nullptr, true},
    {"returning session", "0", true},
    {"returning session without a new choice", kSelection, false},
};

// The host's session: start-up (retried once when it fails, as a host may), the first show,
// the page's commands through the engine's before-navigate event, a hide, an edit of the
// tree announced on the range object's connection point, a show, and the close (retried
// once when it fails).
class Session {
  public:
    Session(const SessionKind& kind, std::size_t failing_ordinal) : kind_(kind) {
        if (kind.stored != nullptr) {
            h_.database->ExecSQL(
                u"Create Table GeneralConfig (ConfigID CHAR(50), ConfigContent TEXT)");
            h_.database->ExecSQL(
                u"insert into GeneralConfig (ConfigID, ConfigContent) values ('KvTavrix2009', "
                u"'{\"Name\":\"\",\"Tag\":0,\"LastSeleID\":\"" +
                Utf8ToWide(kind.stored) + u"\"}')");
        }
        if (failing_ordinal != 0) {
            h_.host_faults.FailCall(failing_ordinal, InjectedCode(failing_ordinal));
        }
    }

    RunOutcome Run() {
        if (!Do("InitPlugin", [&] { return h_.Init(); }).Ok()) {
            Do("InitPlugin again", [&] { return h_.Init(); });
        }
        Do("ShowPlugin", [&] { return h_.facade.ShowPlugin(); });
        for (const char* url :
             {"zq://SelectID/102/1", "zq://key/13", "zq://calluds",
              "http://10.0.0.5:8080/tavrix2009/stock.aspx?code=rid{101}", "zq://refresh"}) {
            if (!kind_.selects && std::string_view(url).starts_with("zq://SelectID")) {
                continue;
            }
            Do(std::string("BeforeNavigate2 ") + url,
               [&] { return h_.browser->FireBeforeNavigate(url).result; });
        }
        Do("HidePlugin", [&] { return h_.facade.HidePlugin(); });
        h_.ranges->SetRoot(EditedTree());
        Do("range change 201", [&] {
            const auto results = h_.ranges->Connection()->Fire(kRangeChangeDispatchId);
            return results.empty() ? CallResult{} : results.front();
        });
        Do("ShowPlugin again", [&] { return h_.facade.ShowPlugin(); });
        if (!Do("ClosePlugin", [&] { return h_.facade.ClosePlugin(); }).Ok()) {
            Do("ClosePlugin again", [&] { return h_.facade.ClosePlugin(); });
        }
        Do("ClosePlugin after the close", [&] { return h_.facade.ClosePlugin(); });

        outcome_.calls = h_.host_faults.Calls();
        outcome_.failed_entry = h_.host_faults.FailedEntry();
        outcome_.stored = h_.StoredLastSeleID();
        for (const auto& navigation : h_.browser->navigations) {
            if (!navigation.post_data.IsEmpty()) {
                outcome_.content_posts.push_back(navigation.PostBody());
            }
        }
        outcome_.closed_for_good = h_.control->Closed() && h_.control->SectorIDs() == nullptr &&
                                   h_.control->RangeEvents()->Ranges() == nullptr &&
                                   h_.journal.Contains("Stop");
        return std::move(outcome_);
    }

  private:
    template <typename Body>
    const CallResult& Do(std::string name, Body&& body) {
        Step step;
        step.name = std::move(name);
        step.first_call = h_.host_faults.Calls() + 1;
        step.result = body();
        step.last_call = h_.host_faults.Calls();
        outcome_.steps.push_back(std::move(step));
        return outcome_.steps.back().result;
    }

    const SessionKind& kind_;
    ControlHarness h_;
    RunOutcome outcome_;
};

struct Verdict {
    bool wrong_hresult = false;
    bool part_of_save = false;
    std::string detail;
};

// The step that made the failing call answers with its HRESULT and a message naming the
// call, unless the contract absorbs the failure; every other step succeeds.
Verdict Judge(const RunOutcome& run, std::size_t ordinal, const std::string& entry) {
    Verdict verdict;
    const HResult code = InjectedCode(ordinal);
    for (const Step& step : run.steps) {
        const bool made_it = step.first_call <= ordinal && ordinal <= step.last_call;
        const bool reported = made_it && !AbsorbedByContract(entry);
        if (reported && step.name == "ClosePlugin") {
            verdict.part_of_save = true;
        }
        const bool right = reported ? step.result.code == code &&
                                          step.result.message.find(entry) != std::string::npos
                                    : step.result.Ok();
        if (!right) {
            verdict.wrong_hresult = true;
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(step.result.code));
            verdict.detail += "\n  " + step.name + ": " + hex + " \"" + step.result.message + "\"" +
                              (reported ? " (expected the injected failure)" : "");
        }
    }
    return verdict;
}

struct Tally {
    std::size_t injected = 0;
    std::size_t wrong_hresults = 0;
    std::size_t lost_saves = 0;
};

// Runs the session clean, then once for every host call it made with that call failing.
void Sweep(const SessionKind& kind, Tally& tally) {
    SCOPED_TRACE(kind.label);
    const RunOutcome clean = Session(kind, 0).Run();
    for (const Step& step : clean.steps) {
        ASSERT_TRUE(step.result.Ok()) << step.name << ": " << step.result.message;
    }
    ASSERT_EQ(clean.stored, kSelection);
    ASSERT_GT(clean.calls, 0u);
    ASSERT_LT(clean.calls, 0x10000u) << "the ordinal must fit the injected code's low word";

    for (std::size_t k = 1; k <= clean.calls; ++k) {
        const RunOutcome run = Session(kind, k).Run();
        const std::string call = "call " + std::to_string(k) + " (" + run.failed_entry + ")";
        if (run.failed_entry.empty()) {
            ADD_FAILURE() << call << " was never made";
            continue;
        }
        ++tally.injected;
        const Verdict verdict = Judge(run, k, run.failed_entry);
        if (verdict.wrong_hresult) {
            ++tally.wrong_hresults;
            ADD_FAILURE() << call << ":" << verdict.detail;
        }
        if (run.stored != kSelection && !verdict.part_of_save) {
            ++tally.lost_saves;
            ADD_FAILURE() << call << ": stored " << run.stored.value_or("no row");
        }
        // A failed save is retried by the second close, so even then the row is there.
        EXPECT_EQ(run.stored, kSelection) << call;
        EXPECT_TRUE(run.closed_for_good) << call;
        for (const std::string& body : run.content_posts) {
            EXPECT_TRUE(body.ends_with(kSectorsBefore) || body.ends_with(kSectorsAfter))
                << call << " posted a partial sector list: " << body;
        }
    }
}

TEST(FaultSweep, EveryHostCallFailingOnceIsReportedWhereItBelongsAndTheSelectionIsKept) {
    Tally tally;
    for (const SessionKind& kind : kSessions) {
        Sweep(kind, tally);
    }
    std::printf("faults fakes: injected=%zu crashes=0 wrong_hresults=%zu lost_saves=%zu\n",
                tally.injected, tally.wrong_hresults, tally.lost_saves);
    EXPECT_EQ(tally.wrong_hresults, 0u);
    EXPECT_EQ(tally.lost_saves, 0u);
}

}  // namespace
}  // namespace kvt::control
