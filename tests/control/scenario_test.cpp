// The road of one request, end to end, on the real settings store and SQLite.

#include <gtest/gtest.h>

#include <string>

#include "fakes/control_harness.h"
#include "settings/general_config.h"

namespace kvt::control {
namespace {

using fakes::ControlHarness;
using fakes::FakeRangeItem;

constexpr const char* kContentURL = "http://10.0.0.5:8080/tavrix2009/kplm.aspx?v=abc&u=7";

TEST(Scenario, OneSessionFromInitToCloseAndTheNextSessionResumes) {
    ControlHarness h;
    // The engine reports each navigation through its before-navigate event.
    h.browser->on_navigate = [&](const fakes::NavigateCall& call) {
        if (call.post_data.IsEmpty()) {
            return;
        }
        const auto navigation = h.browser->FireBeforeNavigate(call.url);
        EXPECT_FALSE(navigation.cancel);
    };

    ASSERT_TRUE(h.Init().Ok());
    EXPECT_TRUE(h.browser->navigations.empty());

    ASSERT_TRUE(h.facade.ShowPlugin().Ok());
    ASSERT_EQ(h.browser->navigations.size(), 1u);
    EXPECT_EQ(h.browser->navigations[0].url, kContentURL);
    EXPECT_EQ(h.browser->navigations[0].PostBody(),
              "SelID=0&Range=0X0065&SectorList=Bank%3B101%2CSteel%3B102%2C");
    EXPECT_TRUE(h.progress_platform->Current().visible);
    EXPECT_EQ(h.progress_platform->Current().percent, 0);

    h.queue.Post([&] { h.browser->FireCommandState(browser::kCommandNavigateBack, true); });
    h.browser->FireProgress(300, 1000);
    EXPECT_EQ(h.progress_platform->Current().percent, 30);
    EXPECT_TRUE(h.control->CanGoBack());
    h.browser->FireDocumentComplete();
    EXPECT_FALSE(h.progress_platform->Current().visible);

    const auto select = h.browser->FireBeforeNavigate("zq://SelectID/102/1");
    EXPECT_TRUE(select.cancel);
    ASSERT_EQ(h.browser->navigations.size(), 2u);
    EXPECT_EQ(h.browser->navigations[1].PostBody(),
              "SelID=1&Range=0X1A2B&SectorList=Bank%3B101%2CSteel%3B102%2C");
    h.browser->FireDocumentComplete();

    ASSERT_TRUE(h.facade.HidePlugin().Ok());
    h.ranges->SetRoot(FakeRangeItem::Group(
        "root",
        {FakeRangeItem::Sector("101", "Bank", "0065"),
         FakeRangeItem::Group("metals", {FakeRangeItem::Sector("102", "Steel", "1A2B"),
                                         FakeRangeItem::Sector("103", "有色 金属", "3C4D")})}));
    const auto fired = h.ranges->Connection()->Fire(201);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_TRUE(fired[0].Ok());
    EXPECT_EQ(h.browser->navigations.size(), 2u);
    EXPECT_EQ(h.control->SectorIDs()->Count(), 3);

    ASSERT_TRUE(h.facade.ShowPlugin().Ok());
    ASSERT_EQ(h.browser->navigations.size(), 3u);
    EXPECT_EQ(h.browser->navigations[2].PostBody(),
              "SelID=1&Range=0X1A2B&SectorList=Bank%3B101%2CSteel%3B102%2C"
              "%D3%D0%C9%AB+%BD%F0%CA%F4%3B103%2C");

    ASSERT_TRUE(h.facade.ClosePlugin().Ok());
    EXPECT_EQ(h.StoredLastSeleID(), "1");

    ControlHarness next(fakes::ControlHarness::DefaultTree(), h.database);
    ASSERT_TRUE(next.Init().Ok());
    EXPECT_EQ(next.control->CurSectorID(), "102");
}

// Two controls of one process on the shared progress window, with form handles 1 and 2,
// both started; the shared window's platform is taken back at the end.
struct TwoControls {
    TwoControls() {
        shared.SetPlatform(platform);
        first.form->handle = 1;
        second.form->handle = 2;
        first.Start();
        second.Start();
    }
    ~TwoControls() {
        shared.FreeProgress();
        shared.SetPlatform(nullptr);
    }

    fakes::Journal journal;
    fakes::MessageQueue queue;
    ui::LoadProgress& shared = ui::LoadProgress::Shared();
    std::shared_ptr<fakes::FakeProgressPlatform> platform =
        std::make_shared<fakes::FakeProgressPlatform>(journal, queue);
    ControlHarness first{ControlHarness::DefaultTree(), nullptr, &shared};
    ControlHarness second{ControlHarness::DefaultTree(), nullptr, &shared};
};

TEST(Scenario, ControlsOfOneProcessShareTheProgressWindowAndEachKeepsItsSettings) {
    TwoControls c;
    auto& [journal, queue, shared, platform, first, second] = c;
    EXPECT_EQ(journal.Only({"ProgressCreate"}).size(), 1u);
    EXPECT_TRUE(journal.Contains("ProgressParent 2"));  // the last to start is the parent

    first.browser->FireBeforeNavigate("zq://SelectID/102/1");
    second.browser->FireBeforeNavigate("zq://SelectID/101/0");
    ASSERT_TRUE(first.facade.ClosePlugin().Ok());
    EXPECT_FALSE(shared.HasWindow());  // any control's close destroys the shared window
    journal.Clear();
    second.browser->FireBeforeNavigate("http://content/next");
    EXPECT_TRUE(journal.Contains("ProgressCreate"));
    EXPECT_TRUE(journal.Contains("ProgressParent 2"));  // the new window is the survivor's
    ASSERT_TRUE(second.facade.ClosePlugin().Ok());

    EXPECT_EQ(first.StoredLastSeleID(), "1");
    EXPECT_EQ(second.StoredLastSeleID(), "0");
}

// The shared window is never left without a parent: after another control's close a resize
// makes the new window inside the resized control, and a window that died with its parent
// is attached to the next control that loads.
TEST(Scenario, TheSharedProgressWindowIsAlwaysInsideALivingControl) {
    TwoControls c;
    auto& [journal, queue, shared, platform, first, second] = c;
    ASSERT_TRUE(first.facade.ClosePlugin().Ok());
    ASSERT_FALSE(shared.HasWindow());

    journal.Clear();
    second.form->Resize(400, 300);
    EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"ProgressCreate", "ProgressParent 2",
                                                           "ProgressMove 88 74"}));

    platform->windows.back()->gone_with_parent = true;
    journal.Clear();
    second.browser->FireBeforeNavigate("http://content/next");
    EXPECT_TRUE(journal.Contains("ProgressParent 2"));
    EXPECT_TRUE(journal.Contains("ProgressShow"));

    ASSERT_TRUE(second.facade.ClosePlugin().Ok());
}

// The shared window's parent dies during another control's load: that load's progress and
// completion make no window where none is seen, a control whose own window is gone leaves the
// progress window alone, and the next load shows a new one inside the control that loads.
TEST(Scenario, AfterItsParentDiesTheProgressWindowIsMadeAnewInsideTheLoadingControl) {
    TwoControls c;
    auto& [journal, queue, shared, platform, first, second] = c;
    first.browser->FireBeforeNavigate("http://content/page");
    platform->DestroyParent(2);
    second.form->handle = 0;
    first.browser->FireProgress(300, 1000);
    first.browser->FireDocumentComplete();
    second.browser->FireBeforeNavigate("http://content/other");
    second.form->Resize(400, 300);
    EXPECT_FALSE(shared.HasWindow());
    EXPECT_EQ(platform->windows.size(), 1u);

    first.browser->FireBeforeNavigate("http://content/next");
    ASSERT_EQ(platform->windows.size(), 2u);
    EXPECT_EQ(platform->Current().parent, 1u);
    EXPECT_TRUE(platform->Current().visible);
    EXPECT_EQ(platform->Current().percent, 0);

    ControlHarness windowless;
    windowless.form->handle = 0;
    windowless.Start();
    windowless.browser->FireBeforeNavigate("http://content/next");
    windowless.form->Resize(400, 300);
    EXPECT_TRUE(windowless.progress_platform->windows.empty());
}

}  // namespace
}  // namespace kvt::control
