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
        bool lists_walked;
    } cases[] = {
        {"no controller",
         [](ControlHarness& h) { h.service = std::make_shared<hosts::ServiceObject>(nullptr); },
         kEUnexpected, "Interface not supported", false},
        {"no ranges", [](ControlHarness& h) { h.controller->provides_ranges = false; },
         kEUnexpected, "Interface not supported", false},
        {"GetParam fails",
         [](ControlHarness& h) {
             h.host_faults.Fail("GetParam ServerIP", static_cast<HResult>(0x800706BAu));
         },
         static_cast<HResult>(0x800706BAu), "GetParam ServerIP failed", false},
        {"stored position past the end", [](ControlHarness& h) { h.StoreLastSeleID("2"); },
         kEUnexpected, "List index out of bounds (2)", true},
        {"stored position -1", [](ControlHarness& h) { h.StoreLastSeleID("-1"); }, kEUnexpected,
         "List index out of bounds (-1)", true},
    };
    for (const auto& c : cases) {
        ControlHarness h;
        c.arrange(h);
        const CallResult result = h.Init();
        EXPECT_EQ(result.code, c.code) << c.name;
        EXPECT_EQ(result.message, c.message) << c.name;
        EXPECT_TRUE(h.own_progress.HasWindow()) << c.name;  // earlier steps stay done
        EXPECT_EQ(h.control->SectorIDs()->Count(), c.lists_walked ? 2 : 0) << c.name;
        EXPECT_EQ(h.control->CurSectorID(), "") << c.name;
        EXPECT_FALSE(h.journal.Contains("ProcessMessages")) << c.name;
    }
}

TEST(Lifecycle, AnEmptyTreeFailsTheListBuildAtPositionZero) {
    ControlHarness h(FakeRangeItem::Group("root", {}));
    EXPECT_EQ(h.Init().message, "List index out of bounds (0)");
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

TEST(Lifecycle, CloseStopsAtAFailingSaveWithItsHResult) {
    ControlHarness h;
    h.Start();
    h.host_faults.Fail("ExecSQL", static_cast<HResult>(0x80004005u));
    const CallResult result = h.facade.ClosePlugin();
    EXPECT_EQ(result.code, static_cast<HResult>(0x80004005u));
    EXPECT_FALSE(h.journal.Contains("Stop"));
    EXPECT_TRUE(h.control->Closed());
}

}  // namespace
}  // namespace kvt::control
