#include "control/range_events.h"

#include <gtest/gtest.h>

#include <memory>

#include "fakes/fake_host.h"

namespace kvt::control {
namespace {

class RangeEventsTest : public ::testing::Test {
  protected:
    RangeEventsTest() {
        sink.OnRangeChange = [this] { ++changes; };
    }

    std::shared_ptr<fakes::FakeRanges> MakeRanges() {
        return std::make_shared<fakes::FakeRanges>(fakes::HostContext{&journal, &faults});
    }

    fakes::Journal journal;
    fakes::Faults faults;
    TDvRangeEvents sink;
    int changes = 0;
};

TEST_F(RangeEventsTest, OnlyDispatchId201CallsTheHandlerOnceWhateverItsArguments) {
    auto ranges = MakeRanges();
    sink.AttachRanges(ranges);
    ASSERT_TRUE(sink.Advised());
    for (const auto& arguments :
         {std::vector<Variant>{}, std::vector<Variant>{Variant(1), Variant(u"x"), Variant()}}) {
        const auto results = ranges->Connection()->Fire(201, arguments);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_TRUE(results[0].Ok());
    }
    EXPECT_EQ(changes, 2);
    for (const std::int32_t other : {200, 202, 0, -1}) {
        EXPECT_TRUE(ranges->Connection()->Fire(other)[0].Ok());
    }
    EXPECT_EQ(changes, 2);
}

TEST_F(RangeEventsTest, AFailingHandlerComesBackAsTheResultInsteadOfUnwinding) {
    auto ranges = MakeRanges();
    sink.OnRangeChange = [] { throw EOleError(static_cast<HResult>(0x80010001u), "busy"); };
    sink.AttachRanges(ranges);
    const auto results = ranges->Connection()->Fire(201);
    EXPECT_EQ(results[0].code, static_cast<HResult>(0x80010001u));
    EXPECT_EQ(results[0].message, "busy");
}

TEST_F(RangeEventsTest, AttachingAgainMovesToTheNewObjectAndDetachIsIdempotent) {
    auto first = MakeRanges();
    auto second = MakeRanges();
    sink.AttachRanges(first);
    sink.AttachRanges(second);
    EXPECT_EQ(first->Connection()->SinkCount(), 0u);
    EXPECT_EQ(second->Connection()->SinkCount(), 1u);
    EXPECT_EQ(sink.Ranges(), second);

    sink.DetachRanges();
    sink.DetachRanges();
    EXPECT_EQ(second->Connection()->SinkCount(), 0u);
    EXPECT_EQ(sink.Ranges(), nullptr);
    EXPECT_EQ(journal.Only({"Unadvise"}).size(), 2u);
}

TEST_F(RangeEventsTest, AdviseAndUnadviseFailuresAreSilent) {
    auto without_point = MakeRanges();
    without_point->RemoveConnectionPoint();
    sink.AttachRanges(without_point);
    EXPECT_FALSE(sink.Advised());
    EXPECT_EQ(sink.Ranges(), without_point);  // the object is still held

    auto refusing = MakeRanges();
    faults.Fail("Advise");
    sink.AttachRanges(refusing);
    EXPECT_FALSE(sink.Advised());
    EXPECT_EQ(refusing->Connection()->SinkCount(), 0u);
    faults.Heal();

    auto stuck = MakeRanges();
    sink.AttachRanges(stuck);
    faults.Fail("Unadvise");
    EXPECT_NO_THROW(sink.DetachRanges());
    EXPECT_EQ(sink.Ranges(), nullptr);
}

TEST_F(RangeEventsTest, ACookieFromAFailedUnadviseIsNeverHandedToTheNextObject) {
    auto first = MakeRanges();
    sink.AttachRanges(first);  // cookie 1 on the first object
    faults.Fail("Unadvise");
    faults.Fail("ChangeEvents");
    auto second = MakeRanges();
    sink.AttachRanges(second);  // the unadvise fails; the second object cannot be advised
    faults.Heal();

    TDvRangeEvents other_sink;
    other_sink.AttachRanges(second);  // another listener gets cookie 1 on the second object
    sink.DetachRanges();
    EXPECT_EQ(second->Connection()->SinkCount(), 1u);
}

TEST_F(RangeEventsTest, DetachUnadvisesOnThePointItAdvisedOnWithoutLookingItUpAgain) {
    auto ranges = MakeRanges();
    sink.AttachRanges(ranges);
    faults.Fail("ChangeEvents");  // the range object can no longer find its connection point
    sink.DetachRanges();
    EXPECT_EQ(ranges->Connection()->SinkCount(), 0u);
    EXPECT_EQ(journal.Only({"ChangeEvents"}).size(), 1u);
}

TEST_F(RangeEventsTest, ADestroyedListenerIsNotReachedThroughItsDispatcher) {
    auto listener = std::make_unique<TDvRangeEvents>();
    int calls = 0;
    listener->OnRangeChange = [&] { ++calls; };
    const auto dispatcher = listener->Dispatcher();
    listener.reset();
    EXPECT_TRUE(dispatcher->Invoke(201, {}).Ok());
    EXPECT_EQ(calls, 0);
}

TEST_F(RangeEventsTest, AHandlerMayDestroyItsOwnListener) {
    auto ranges = MakeRanges();
    auto listener = std::make_unique<TDvRangeEvents>();
    int calls = 0;
    listener->OnRangeChange = [&] {
        listener.reset();
        ++calls;
    };
    listener->AttachRanges(ranges);
    EXPECT_TRUE(ranges->Connection()->Fire(201)[0].Ok());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ranges->Connection()->SinkCount(), 0u);
}

}  // namespace
}  // namespace kvt::control
