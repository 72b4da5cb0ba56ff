#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/control_harness.h"
#include "hosts/common/service_object.h"
#include "settings/general_config.h"

namespace kvt::control {
namespace {

using fakes::ControlHarness;
using fakes::FakeRangeItem;
using Strings = std::vector<std::string>;

TEST(Lifecycle, InitRunsItsStepsInOrderAndRequestsNothing) {
    ControlHarness h;
    ASSERT_TRUE(h.Init().Ok());
    EXPECT_EQ(
        h.journal.Only({"FrameBorderNone", "ResizeHandler", "ProgressCreate", "ProgressParent",
                        "MainHandle", "ApplicationOwner", "GetParam", "OpenSQL", "QueryRanges",
                        "Advise", "Root", "ProcessMessages", "Navigate"}),
        (Strings{"FrameBorderNone", "ResizeHandler", "ProgressCreate", "ProgressParent 119",
                 "MainHandle", "ApplicationOwner 4660", "GetParam ServerIP",
                 "GetParam HtmlValidate", "OpenSQL select IValue from netSYSTEM",
                 "OpenSQL select ConfigContent from GeneralConfig where ConfigID = "
                 "'KvTavrix2009'",
                 "QueryRanges", "Advise", "Root", "ProcessMessages"}));
    const auto& c = *h.control;
    EXPECT_EQ(c.ServerIP(), "10.0.0.5:8080");
    EXPECT_EQ(c.ContentURL(), "http://10.0.0.5:8080/tavrix2009/kplm.aspx?v=abc&u=7");
    EXPECT_EQ(c.CurSectorID(), "101");
    EXPECT_EQ(c.LastSeleID(), "0");
    EXPECT_TRUE(c.NeedReload());
    EXPECT_FALSE(c.Hidden());
    ASSERT_NE(c.SectorNames(), nullptr);
    EXPECT_EQ(c.SectorNames()->Count(), 2);
    EXPECT_TRUE(h.browser->navigations.empty());

    h.form->Resize(616, 334);  // the resize handler centres the progress window
    EXPECT_EQ(h.journal.Entries().back(), "ProgressMove 196 91");
}

TEST(Lifecycle, InitFailuresStopAtTheFailingStepWithTheirResult) {
    const struct {
        const char* name;
        std::function<void(ControlHarness&)> arrange;
        HResult code;
        const char* message;
    } cases[] = {
        {"no controller",
         [](ControlHarness& h) { h.service = std::make_shared<hosts::ServiceObject>(nullptr); },
         kEUnexpected, "Interface not supported"},
        {"no ranges", [](ControlHarness& h) { h.controller->provides_ranges = false; },
         kEUnexpected, "Interface not supported"},
        {"GetParam fails",
         [](ControlHarness& h) {
             h.host_faults.Fail("GetParam ServerIP", static_cast<HResult>(0x800706BAu));
         },
         static_cast<HResult>(0x800706BAu), "GetParam ServerIP failed"},
    };
    for (const auto& c : cases) {
        ControlHarness h;
        c.arrange(h);
        const CallResult result = h.Init();
        EXPECT_EQ(result.code, c.code) << c.name;
        EXPECT_EQ(result.message, c.message) << c.name;
        EXPECT_TRUE(h.own_progress.HasWindow()) << c.name;  // earlier steps stay done
        EXPECT_EQ(h.control->SectorIDs()->Count(), 0) << c.name;
        EXPECT_EQ(h.control->CurSectorID(), "") << c.name;
        EXPECT_FALSE(h.journal.Contains("ProcessMessages")) << c.name;
    }
}

// A stored position outside the list (sectors deleted since it was stored) selects the
// first sector and is stored as such, so that the request's SelID names what is shown.
TEST(Lifecycle, AStoredPositionOutsideTheListSelectsTheFirstSector) {
    for (const char* stored : {"2", "9", "-1"}) {
        ControlHarness h;
        h.StoreLastSeleID(stored);
        ASSERT_TRUE(h.Init().Ok()) << stored;
        EXPECT_EQ(h.control->CurSectorID(), "101") << stored;
        EXPECT_EQ(h.control->LastSeleID(), "0") << stored;
        ASSERT_TRUE(h.facade.ShowPlugin().Ok());
        ASSERT_EQ(h.browser->navigations.size(), 1u) << stored;
        EXPECT_EQ(h.browser->navigations[0].PostBody().rfind("SelID=0&Range=0X0065&", 0), 0u)
            << h.browser->navigations[0].PostBody();
        ASSERT_TRUE(h.facade.ClosePlugin().Ok());
        EXPECT_EQ(h.StoredLastSeleID(), "0") << stored;
    }
}

// Without sectors there is nothing to show: start-up succeeds with no current sector and
// requests nothing, and the first range change that brings sectors selects the first.
TEST(Lifecycle, ATreeWithoutSectorsWaitsForARangeChangeThatBringsSome) {
    ControlHarness h(FakeRangeItem::Group("root", {}));
    h.StoreLastSeleID("3");
    ASSERT_TRUE(h.Init().Ok());
    EXPECT_EQ(h.control->CurSectorID(), "");
    ASSERT_TRUE(h.facade.ShowPlugin().Ok());
    EXPECT_TRUE(h.browser->navigations.empty());

    h.ranges->SetRoot(ControlHarness::DefaultTree());
    h.ranges->Connection()->Fire(201);
    EXPECT_EQ(h.control->CurSectorID(), "101");
    ASSERT_EQ(h.browser->navigations.size(), 1u);
    EXPECT_EQ(h.browser->navigations[0].PostBody().rfind("SelID=0&", 0), 0u);
}

// A range change whose walk a failing host call stops reports the failure and keeps the
// previous lists whole: no later request carries part of a tree, or IDs without names.
TEST(Lifecycle, ARangeChangeWhoseWalkFailsKeepsThePreviousListsWhole) {
    const auto edited = [] {
        return FakeRangeItem::Group("root", {FakeRangeItem::Sector("101", "Bank", "0065"),
                                             FakeRangeItem::Sector("102", "Steel", "1A2B"),
                                             FakeRangeItem::Sector("103", "Zinc", "3C4D")});
    };
    const std::string before = "SelID=1&Range=0X1A2B&SectorList=Bank%3B101%2CSteel%3B102%2C";
    for (const char* failing : {"Item root 1", "Name Steel", "Name Zinc"}) {
        SCOPED_TRACE(failing);
        ControlHarness h;
        h.Start();
        h.browser->FireBeforeNavigate("zq://SelectID/102/1");
        ASSERT_TRUE(h.facade.HidePlugin().Ok());
        h.ranges->SetRoot(edited());
        h.host_faults.Fail(failing, static_cast<HResult>(0x800706BEu));
        const auto fired = h.ranges->Connection()->Fire(201);
        ASSERT_EQ(fired.size(), 1u);
        EXPECT_EQ(fired[0].code, static_cast<HResult>(0x800706BEu));
        h.host_faults.Heal();

        EXPECT_EQ(h.control->SectorIDs()->Count(), 2);
        EXPECT_EQ(h.control->SectorNames()->Count(), 2);
        EXPECT_EQ(h.control->CurSectorID(), "102");
        ASSERT_TRUE(h.facade.ShowPlugin().Ok());
        ASSERT_EQ(h.browser->navigations.size(), 2u);
        EXPECT_EQ(h.browser->navigations[1].PostBody(), before);

        ASSERT_TRUE(h.ranges->Connection()->Fire(201)[0].Ok());  // the next change goes through
        EXPECT_EQ(h.browser->navigations.back().PostBody(), before + "Zinc%3B103%2C");
        ASSERT_TRUE(h.facade.ClosePlugin().Ok());
    }
}

TEST(Lifecycle, ShowRequestsOnlyWhenAReloadIsPendingAndNeverWhileHidden) {
    ControlHarness h;
    ASSERT_TRUE(h.Init().Ok());
    ASSERT_TRUE(h.facade.ShowPlugin().Ok());
    ASSERT_TRUE(h.facade.ShowPlugin().Ok());
    EXPECT_EQ(h.browser->navigations.size(), 1u);
    EXPECT_FALSE(h.control->NeedReload());

    ASSERT_TRUE(h.facade.HidePlugin().Ok());
    h.ranges->Connection()->Fire(201);
    EXPECT_EQ(h.browser->navigations.size(), 1u);
    EXPECT_TRUE(h.control->NeedReload());
    EXPECT_FALSE(h.journal.Contains("Stop"));  // hiding stops nothing

    h.journal.Clear();
    ASSERT_TRUE(h.facade.ShowPlugin().Ok());
    ASSERT_TRUE(h.facade.ShowPlugin().Ok());
    EXPECT_EQ(h.browser->navigations.size(), 2u);
    EXPECT_EQ(
        h.journal.Only({"FocusDocument", "Navigate"}),
        (Strings{"FocusDocument", "Navigate http://10.0.0.5:8080/tavrix2009/kplm.aspx?v=abc&u=7",
                 "FocusDocument"}));
}

TEST(Lifecycle, ExecCommandFollowsTheReportedHistoryWithExactWords) {
    ControlHarness h;
    h.Start();
    const auto exec = [&](std::u16string_view command) {
        WideString reply = u"stale";
        EXPECT_TRUE(h.facade.ExecCommand(command, reply).Ok());
        return WideToUtf8(reply);
    };
    EXPECT_EQ(exec(u"GOTOBACK"), "");  // no history reported yet
    h.browser->FireCommandState(browser::kCommandNavigateBack, true);
    h.browser->FireCommandState(-1, true);  // other commands are ignored
    EXPECT_EQ(exec(u"GOTOBACK"), "OK");
    EXPECT_EQ(exec(u"gotoback"), "");
    EXPECT_EQ(exec(u"GOTOPREV"), "");  // forward is still unavailable
    h.browser->FireCommandState(browser::kCommandNavigateForward, true);
    EXPECT_EQ(exec(u"GOTOPREV"), "OK");
    h.browser->FireCommandState(browser::kCommandNavigateBack, false);
    EXPECT_EQ(exec(u"GOTOBACK"), "");
    EXPECT_EQ(h.journal.Only({"GoBack", "GoForward"}), (Strings{"GoBack", "GoForward"}));
}

TEST(Lifecycle, CloseRunsItsStepsInOrderAndReleasesEverything) {
    ControlHarness h;
    h.Start();
    ASSERT_TRUE(h.facade.ClosePlugin().Ok());
    EXPECT_EQ(h.journal.Only({"ExecSQL", "Stop", "Unadvise", "ProgressDestroy"}),
              (Strings{"ExecSQL delete from GeneralConfig where ConfigID='KvTavrix2009'",
                       "ExecSQL insert into GeneralConfig (ConfigID, ConfigContent) values "
                       "('KvTavrix2009', '{\"Name\":\"\",\"Tag\":0,\"LastSeleID\":\"0\"}')",
                       "Stop", "Unadvise 1", "ProgressDestroy"}));
    EXPECT_EQ(h.control->SectorIDs(), nullptr);
    EXPECT_EQ(h.control->SectorNames(), nullptr);
    EXPECT_EQ(h.control->RangeEvents()->Ranges(), nullptr);
    EXPECT_FALSE(h.own_progress.HasWindow());
    settings::TKvTavrixConfig probe;
    EXPECT_THROW(settings::TGeneralConfig::Instance().Save("probe", probe), Exception)
        << "the store must be detached from the host";
}

TEST(Lifecycle, AFailedCloseCanBeRetriedAndFinishesItsSteps) {
    ControlHarness h;
    h.Start();
    h.host_faults.Fail("ExecSQL", static_cast<HResult>(0x80004005u));
    const CallResult result = h.facade.ClosePlugin();
    EXPECT_EQ(result.code, static_cast<HResult>(0x80004005u));
    EXPECT_FALSE(h.journal.Contains("Stop"));
    EXPECT_TRUE(h.control->Closed());
    EXPECT_FALSE(h.facade.ShowPlugin().Ok() && !h.browser->navigations.empty());

    h.host_faults.Heal();
    h.journal.Clear();
    ASSERT_TRUE(h.facade.ClosePlugin().Ok());
    EXPECT_EQ(h.StoredLastSeleID(), "0");  // the selection is saved once the host accepts it
    EXPECT_EQ(h.journal.Only({"Stop", "Unadvise", "ProgressDestroy"}),
              (Strings{"Stop", "Unadvise 1", "ProgressDestroy"}));
    EXPECT_EQ(h.control->RangeEvents()->Ranges(), nullptr);

    h.journal.Clear();
    ASSERT_TRUE(h.facade.ClosePlugin().Ok());  // a finished close does nothing more
    EXPECT_TRUE(h.journal.Entries().empty());
}

// A start-up that could not read the stored record starts from the initial record; the close
// then saves only a selection made in this session, and never writes the initial record over
// a stored one that it did not see.
TEST(Lifecycle, AStoredSelectionThatCouldNotBeReadIsKeptUnlessANewOneIsMade) {
    const std::string read =
        "OpenSQL select ConfigContent from GeneralConfig where ConfigID = 'KvTavrix2009'";
    for (const bool select : {false, true}) {
        SCOPED_TRACE(select ? "a selection made" : "no selection made");
        ControlHarness h;
        h.StoreLastSeleID("1");
        h.host_faults.Fail(read, static_cast<HResult>(0x800706BAu));
        ASSERT_TRUE(h.Init().Ok());
        h.host_faults.Heal();
        EXPECT_EQ(h.control->LastSeleID(), "0");
        ASSERT_TRUE(h.facade.ShowPlugin().Ok());
        if (select) {
            h.browser->FireBeforeNavigate("zq://SelectID/101/0");
        }
        ASSERT_TRUE(h.facade.ClosePlugin().Ok());
        EXPECT_EQ(h.StoredLastSeleID(), select ? "0" : "1");
    }
}

// The close saves at once while the store holds this control's host; a store that another
// control's close has detached takes this control's host again, with its table check.
TEST(Lifecycle, CloseChecksTheTableOnlyWhenTheStoreLostThisHost) {
    ControlHarness h;
    h.Start();
    h.host_faults.Fail("OpenSQL", static_cast<HResult>(0x80004005u));
    h.journal.Clear();
    ASSERT_TRUE(h.facade.ClosePlugin().Ok());
    EXPECT_FALSE(h.journal.Contains("OpenSQL"));
    h.host_faults.Heal();
    EXPECT_EQ(h.StoredLastSeleID(), "0");

    ControlHarness second;
    second.Start();
    settings::TGeneralConfig::SetHost(nullptr);  // as another control's close leaves it
    second.journal.Clear();
    ASSERT_TRUE(second.facade.ClosePlugin().Ok());
    EXPECT_FALSE(second.journal.Only({"OpenSQL"}).empty());
    EXPECT_EQ(second.StoredLastSeleID(), "0");
}

}  // namespace
}  // namespace kvt::control
