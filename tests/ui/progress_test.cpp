#include <gtest/gtest.h>

#include <memory>

#include "fakes/fake_windows.h"
#include "ui/load_progress.h"
#include "ui/progress_bar.h"
#include "ui/window_region.h"

namespace kvt::ui {
namespace {

TEST(ProgressBar, FillRoundsToTheNearestPixelAndFillsFromOneHundred) {
    const int inner = BarInnerWidth(kBarWidth, kBarBorderWidth);
    ASSERT_EQ(inner, 172);
    const struct {
        int percent;
        int width;
    } cases[] = {
        {0, 0},     {-5, 0},    {1, 2},  // 1.72
        {25, 43},   {30, 52},            // 51.6
        {99, 170},                       // 170.28
        {100, 172}, {250, 172},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BarFillWidth(c.percent, inner), c.width) << c.percent;
    }
    // Exact halves go to the even pixel: 50 x 173 / 100 = 86.5, 10 x 15 / 100 = 1.5.
    EXPECT_EQ(BarFillWidth(50, 173), 86);
    EXPECT_EQ(BarFillWidth(10, 15), 2);
}

TEST(ProgressBar, TextShowsTheNumberGivenAndNeverAnUnsignedWrap) {
    EXPECT_EQ(PercentText(0), "0%");
    EXPECT_EQ(PercentText(60), "60%");
    EXPECT_EQ(PercentText(250), "250%");
    EXPECT_EQ(PercentText(-1), "0%");
}

TEST(ProgressBar, CentringTruncatesTowardZero) {
    EXPECT_EQ(CenteredOrigin(616, 334, kProgressWindowWidth, kProgressWindowHeight),
              (Point{196, 91}));  // 91.5 truncates
    EXPECT_EQ(CenteredOrigin(100, 100, kProgressWindowWidth, kProgressWindowHeight),
              (Point{-62, -25}));  // -25.5 truncates toward zero
}

TEST(WindowRegion, CollectsRunsOfPixelsThatDifferFromTheBottomLeftColour) {
    constexpr std::uint32_t W = 0x00FFFFFF;  // the transparent white
    constexpr std::uint32_t G = 0x00808080;
    constexpr std::uint32_t A = 0xFFFFFFFF;  // white with other top bits: still white
    const Bitmap picture{5,
                         3,
                         {W, G, G, W, G,  //
                          G, A, G, G, G,  //
                          W, W, W, W, W}};
    const std::uint32_t transparent = TransparentColour(picture);
    EXPECT_EQ(transparent, W);
    EXPECT_EQ(RegionRects(picture, transparent),
              (std::vector<Rect>{{1, 0, 3, 1}, {4, 0, 5, 1}, {0, 1, 1, 2}, {2, 1, 5, 2}}));
}

TEST(WindowRegion, RejectsPicturesWhosePixelsDoNotFitTheirSize) {
    EXPECT_THROW(TransparentColour(Bitmap{0, 0, {}}), Exception);
    EXPECT_THROW(RegionRects(Bitmap{2, 2, {1, 2, 3}}, 0), Exception);
}

class LoadProgressTest : public ::testing::Test {
  protected:
    fakes::Journal journal;
    fakes::MessageQueue queue;
    std::shared_ptr<fakes::FakeProgressPlatform> platform =
        std::make_shared<fakes::FakeProgressPlatform>(journal, queue);
    LoadProgress progress{platform};
};

TEST_F(LoadProgressTest, RoutinesThatNeedNoWindowCreateNone) {
    progress.SetProgress(40);
    progress.FinishProgress();
    progress.FreeProgress();
    EXPECT_FALSE(progress.HasWindow());
    EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"ProcessMessages"}));
}

TEST_F(LoadProgressTest, AWindowRunsFromStartThroughFinishToFree) {
    progress.AttachProgress(0x55);
    progress.CenterProgress(100, 100);
    progress.StartProgress();
    progress.SetProgress(250);
    progress.FinishProgress();
    progress.FinishProgress();  // a second completion still shows 100 and pauses
    progress.FreeProgress();
    EXPECT_EQ(journal.Entries(),
              (std::vector<std::string>{
                  "ProgressCreate", "ProgressParent 85", "ProgressMove -62 -25",
                  "ProgressPercent 0", "ProgressShow", "ProgressPercent 250", "ProcessMessages",
                  "ProgressPercent 100", "Pause 200", "ProgressHide", "ProgressPercent 100",
                  "Pause 200", "ProgressHide", "ProgressDestroy"}));
    EXPECT_EQ(platform->windows.size(), 1u);
    EXPECT_FALSE(progress.HasWindow());
}

TEST_F(LoadProgressTest, AMessageThatFreesTheWindowDuringSetProgressIsHarmless) {
    progress.StartProgress();
    queue.Post([&] { progress.FreeProgress(); });
    progress.SetProgress(30);
    EXPECT_TRUE(platform->Current().destroyed);
    progress.FinishProgress();  // no window any more: nothing happens
    EXPECT_FALSE(journal.Contains("Pause 200"));
}

// A window that went with its parent is neither drawn into nor made anew behind the control's
// back: only the next attach makes a new one, inside the parent it names.
TEST_F(LoadProgressTest, AWindowGoneWithItsParentIsReplacedOnlyByTheNextAttach) {
    progress.AttachProgress(0x55);
    progress.StartProgress();
    platform->DestroyParent(0x55);
    journal.Clear();
    progress.SetProgress(30);
    progress.FinishProgress();
    EXPECT_FALSE(progress.HasWindow());
    EXPECT_EQ(journal.Entries(), (std::vector<std::string>{"ProcessMessages"}));

    progress.AttachProgress(0x66);
    progress.StartProgress();
    ASSERT_EQ(platform->windows.size(), 2u);
    EXPECT_EQ(platform->Current().parent, 0x66u);
    EXPECT_TRUE(platform->Current().visible);
    EXPECT_TRUE(progress.HasWindow());
}

}  // namespace
}  // namespace kvt::ui
