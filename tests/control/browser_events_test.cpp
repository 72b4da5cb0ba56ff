#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/host_fpu_settings.h"
#include "control/progress_percent.h"
#include "fakes/control_harness.h"

namespace kvt::control {
namespace {

using fakes::ControlHarness;
using Strings = std::vector<std::string>;

constexpr const char* kContentURL = "http://10.0.0.5:8080/tavrix2009/kplm.aspx?v=abc&u=7";

Strings Effects(const ControlHarness& h) {
    return h.journal.Only(
        {"Navigate", "HandleKey", "OpenModule", "FocusDocument", "ProgressShow", "Root"});
}

TEST(PageCommandEvents, EachCommandCancelsOrNotAndActsAsTheTableSays) {
    const std::string post = std::string("Navigate ") + kContentURL;
    const struct {
        const char* url;
        bool cancel;
        Strings effects;
    } cases[] = {
        {"zq://SelectID/102/1", true, {post}},
        {"zq://refresh", true, {post}},
        {"zq://REFRESH", true, {post}},
        {"http://x/?next=zq://refresh", true, {post}},
        {"ZQ://refresh", false, {"ProgressShow"}},
        {"zq://key/13", true, {"HandleKey 13"}},
        {"zq://key/x", true, {"HandleKey 0"}},
        {"zq://calluds", true, {"OpenModule Vostral.VostralImpl MT=RANGE", "FocusDocument"}},
        {"zq://calludr/1", true, {}},
        {"zq://other/1", false, {}},
        {"zq://", false, {"ProgressShow"}},
        {"zq:////", false, {"ProgressShow"}},
        {"http://x/page.html", false, {"ProgressShow"}},
    };
    for (const auto& c : cases) {
        ControlHarness h;
        h.Start();
        const auto navigation = h.browser->FireBeforeNavigate(c.url);
        EXPECT_TRUE(navigation.result.Ok()) << c.url << ": " << navigation.result.message;
        EXPECT_EQ(navigation.cancel, c.cancel) << c.url;
        EXPECT_EQ(Effects(h), c.effects) << c.url;
    }
}

TEST(PageCommandEvents, SelectIDStoresSectorAndPositionAndPostsTheWorkedExample) {
    ControlHarness h;
    h.Start();
    h.browser->FireBeforeNavigate("zq://SelectID/102/1");
    EXPECT_EQ(h.control->CurSectorID(), "102");
    EXPECT_EQ(h.control->LastSeleID(), "1");
    ASSERT_EQ(h.browser->navigations.size(), 1u);
    const auto& call = h.browser->navigations[0];
    EXPECT_EQ(call.url, kContentURL);
    EXPECT_EQ(call.PostBody(), "SelID=1&Range=0X1A2B&SectorList=Bank%3B101%2CSteel%3B102%2C");
    EXPECT_EQ(call.headers.ToAnsi(), "Content-Type: application/x-www-form-urlencoded\x0A\x0D");
    EXPECT_TRUE(call.flags.IsEmpty());
    EXPECT_TRUE(call.target_frame_name.IsEmpty());
    EXPECT_EQ(call.post_data.Kind(), VarKind::ByteArray);
}

TEST(PageCommandEvents, AnUnknownOrInvalidSectorSendsNothingAndClearsThePendingReload) {
    ControlHarness h;
    ASSERT_TRUE(h.Init().Ok());
    h.ranges->Find("101")->valid = false;
    ASSERT_TRUE(h.facade.ShowPlugin().Ok());
    EXPECT_TRUE(h.browser->navigations.empty());
    EXPECT_FALSE(h.control->NeedReload());

    h.browser->FireBeforeNavigate("zq://SelectID/999/1");
    EXPECT_TRUE(h.browser->navigations.empty());
}

TEST(PageCommandEvents, AFailingHostCallLeavesTheEventAsAResultAfterCancelling) {
    ControlHarness h;
    h.Start();
    h.host_faults.Fail("HandleKey", static_cast<HResult>(0x80010105u));
    const auto navigation = h.browser->FireBeforeNavigate("zq://key/13");
    EXPECT_TRUE(navigation.cancel);
    EXPECT_EQ(navigation.result.code, static_cast<HResult>(0x80010105u));
    EXPECT_EQ(h.control->LastEventError().code, static_cast<HResult>(0x80010105u));
}

TEST(RangeRefEvents, ReferencesAreRewrittenToTheFirstSectorsCodeAndReNavigated) {
    ControlHarness h;
    h.Start();
    const auto navigation = h.browser->FireBeforeNavigate("http://x/?a=rid{101}&b=rid{102}");
    EXPECT_TRUE(navigation.cancel);
    ASSERT_EQ(h.browser->navigations.size(), 1u);
    const auto& call = h.browser->navigations[0];
    EXPECT_EQ(call.url, "http://x/?a=0X0065&b=0X0065");
    EXPECT_TRUE(call.post_data.IsEmpty());
    EXPECT_TRUE(call.headers.IsEmpty());
    EXPECT_TRUE(h.journal.Contains("ProgressShow"));  // the rewritten URL carries no command

    h.browser->navigations.clear();
    const auto unknown = h.browser->FireBeforeNavigate("http://x/?a=rid{999}");
    EXPECT_FALSE(unknown.cancel);
    EXPECT_TRUE(h.browser->navigations.empty());
}

struct PercentCase {
    std::int32_t progress;
    std::int32_t max;
    std::int32_t percent;
};
constexpr PercentCase kPercentCases[] = {
    {5, 0, 0},           {0, 100, 0},      {1, 3, 33},    {2, 3, 67},
    {1, 8, 12},          {3, 8, 38},       {1, 40, 2},    {3, 40, 8},  // 12.5, 37.5, 2.5, 7.5
    {23, 40, 57},  // 0.575 x 100 is 57.49999999999999 in double
    {7, 40, 18},   // 17.5 exactly: to the even 18
    {5, 4, 100},         {100, 100, 100},  {-1, 8, -12},  {-3, 8, -38},
    {-1, 40, -2},        {-1, 1000000, 0}, {-5, -4, 100}, {INT32_MIN, 1, INT32_MIN},
    {INT32_MAX, 1, 100},
};

TEST(ProgressPercent, RoundsExactHalvesToEvenAndCapsAtOneHundred) {
    for (const auto& c : kPercentCases) {
        EXPECT_EQ(ProgressPercent(c.progress, c.max), c.percent) << c.progress << "/" << c.max;
    }
}

TEST(ProgressPercent, IsTheSameWhateverTheHostsFloatingPointSettings) {
    for (const auto& host : test::kHostFpuSettings) {
        for (const auto& c : kPercentCases) {
            std::int32_t percent = 0;
            const bool kept = test::RunWithHostFpuSettings(
                host, [&] { percent = ProgressPercent(c.progress, c.max); });
            EXPECT_EQ(percent, c.percent) << c.progress << "/" << c.max << " with " << host.what;
            EXPECT_TRUE(kept) << host.what;
        }
    }
}

TEST(LoadEvents, ProgressAndCompletionDriveTheWindowAndFocusThePage) {
    ControlHarness h;
    h.Start();
    h.browser->FireBeforeNavigate(kContentURL);
    h.browser->FireProgress(1, 8);
    h.browser->FireNavigateComplete();
    h.browser->FireDocumentComplete();  // a frame
    h.browser->FireDocumentComplete();  // the top document
    EXPECT_EQ(h.journal.Only({"Progress", "Pause", "FocusDocument"}),
              (Strings{"ProgressPercent 0", "ProgressShow", "ProgressPercent 12", "FocusDocument",
                       "ProgressPercent 100", "Pause 200", "ProgressHide", "FocusDocument",
                       "ProgressPercent 100", "Pause 200", "ProgressHide", "FocusDocument"}));
}

TEST(LoadEvents, EventsPostedDuringTheProgressMessagePassRunInsideIt) {
    ControlHarness h;
    h.Start();
    h.browser->FireBeforeNavigate(kContentURL);
    h.queue.Post([&] { h.browser->FireCommandState(browser::kCommandNavigateBack, true); });
    h.queue.Post([&] { h.browser->FireBeforeNavigate("zq://refresh"); });
    h.browser->FireProgress(50, 100);
    EXPECT_TRUE(h.control->CanGoBack());
    EXPECT_EQ(h.browser->navigations.size(), 1u);
}

TEST(LoadEvents, ACloseInsideTheProgressMessagePassLeavesTheRestHarmless) {
    ControlHarness h;
    h.Start();
    h.browser->FireBeforeNavigate(kContentURL);
    h.queue.Post([&] { EXPECT_TRUE(h.facade.ClosePlugin().Ok()); });
    EXPECT_TRUE(h.browser->FireProgress(50, 100).Ok());
    EXPECT_FALSE(h.own_progress.HasWindow());
    h.journal.Clear();
    EXPECT_TRUE(h.browser->FireDocumentComplete().Ok());
    EXPECT_TRUE(h.journal.Entries().empty());
}

TEST(PopupEvents, NewWindowsOpenPopupsThatShowBringsToTheFront) {
    ControlHarness h;
    h.Start();
    std::shared_ptr<InterfaceBase> window;
    ASSERT_TRUE(h.browser->FireNewWindow(window).Ok());
    ASSERT_EQ(h.popups->popups.size(), 1u);
    EXPECT_EQ(window, h.popups->popups[0]->BrowserApplication());
    EXPECT_TRUE(h.control->HasPopup());

    ASSERT_TRUE(h.facade.ShowPlugin().Ok());
    EXPECT_EQ(h.popups->popups[0]->fronted, 1);

    std::shared_ptr<InterfaceBase> second;
    h.browser->FireNewWindow(second);
    h.facade.ShowPlugin();
    EXPECT_EQ(h.popups->popups[1]->fronted, 1);  // the newest popup is the one referred to

    h.journal.Clear();
    h.popups->Close(0);  // whichever popup closes clears the reference
    EXPECT_FALSE(h.control->HasPopup());
    EXPECT_EQ(h.journal.Entries(), (Strings{"FocusDocument"}));
}

// Without a popup to hand over, the engine must not open a browser window of its own
// outside the host: the new window is cancelled and the error stays inside. A popup whose
// browser cannot be handed over is given up, so it never shows.
TEST(PopupEvents, ANewWindowThatGetsNoPopupIsCancelled) {
    struct Case {
        const char* name;
        bool fail_creation;
        const char* message;
    };
    const Case cases[] = {
        {"creation fails", true, "The popup window could not be created"},
        {"its browser cannot be handed over", false, "IWebBrowser2::get_Application failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ControlHarness h;
        h.Start();
        h.popups->fail_next = c.fail_creation;
        h.popups->fail_next_application = !c.fail_creation;
        std::shared_ptr<InterfaceBase> window;
        bool cancel = false;
        const CallResult result = h.browser->FireNewWindow(window, &cancel);
        EXPECT_FALSE(result.Ok());
        EXPECT_EQ(result.message, c.message);
        EXPECT_TRUE(cancel);
        EXPECT_EQ(window, nullptr);
        EXPECT_FALSE(h.control->HasPopup());
        ASSERT_EQ(h.popups->popups.size(), c.fail_creation ? 0u : 1u);
        for (const auto& popup : h.popups->popups) {
            EXPECT_TRUE(popup->discarded);
        }

        ASSERT_TRUE(h.browser->FireNewWindow(window, &cancel).Ok());  // the next one opens
        EXPECT_FALSE(cancel);
        EXPECT_NE(window, nullptr);
        EXPECT_EQ(window, h.popups->popups.back()->BrowserApplication());
        EXPECT_FALSE(h.popups->popups.back()->discarded);
        EXPECT_TRUE(h.control->HasPopup());
    }
}

}  // namespace
}  // namespace kvt::control
