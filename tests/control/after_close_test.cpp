#include <gtest/gtest.h>

#include <memory>

#include "fakes/control_harness.h"

namespace kvt::control {
namespace {

using fakes::ControlHarness;

TEST(AfterClose, LateHostCallsAndEventsTouchNothingAndSucceed) {
    ControlHarness h;
    h.Start();
    std::shared_ptr<InterfaceBase> window;
    h.browser->FireNewWindow(window);
    const auto dispatcher = h.control->RangeEvents()->Dispatcher();
    ASSERT_TRUE(h.facade.ClosePlugin().Ok());
    h.journal.Clear();

    WideString reply;
    EXPECT_TRUE(h.facade.ShowPlugin().Ok());
    EXPECT_TRUE(h.facade.HidePlugin().Ok());
    EXPECT_TRUE(h.facade.ExecCommand(u"GOTOBACK", reply).Ok());
    EXPECT_TRUE(h.facade.ClosePlugin().Ok());
    EXPECT_TRUE(dispatcher->Invoke(201, {}).Ok());  // a host still holding the sink
    EXPECT_TRUE(h.browser->FireBeforeNavigate("zq://SelectID/102/1").result.Ok());
    EXPECT_TRUE(h.browser->FireBeforeNavigate("http://x/?a=rid{101}").result.Ok());
    EXPECT_TRUE(h.browser->FireBeforeNavigate("http://x/").result.Ok());
    EXPECT_TRUE(h.browser->FireProgress(1, 2).Ok());
    EXPECT_TRUE(h.browser->FireDocumentComplete().Ok());
    EXPECT_TRUE(h.browser->FireNewWindow(window).Ok());
    h.form->Resize(300, 200);
    h.popups->Close(0);

    EXPECT_TRUE(h.journal.Entries().empty());
    EXPECT_FALSE(h.control->HasPopup());
    EXPECT_FALSE(h.own_progress.HasWindow());

    const CallResult again = h.Init();
    EXPECT_FALSE(again.Ok());
}

TEST(AfterClose, ACloseDuringTheReNavigationOfARewrittenURLEndsTheEvent) {
    ControlHarness h;
    h.Start();
    h.browser->on_navigate = [&](const fakes::NavigateCall&) { h.facade.ClosePlugin(); };
    const auto navigation = h.browser->FireBeforeNavigate("http://x/?a=rid{101}");
    EXPECT_TRUE(navigation.result.Ok());
    EXPECT_TRUE(navigation.cancel);
    EXPECT_FALSE(h.own_progress.HasWindow());  // no window created again after the close
}

TEST(AfterClose, APopupThatOutlivesTheControlNeverCallsIntoIt) {
    ControlHarness h;
    h.Start();
    std::shared_ptr<InterfaceBase> window;
    h.browser->FireNewWindow(window);
    h.facade.ClosePlugin();
    h.facade_holder.reset();
    std::weak_ptr<TKvNewTavrix> gone = h.control;
    h.control.reset();
    ASSERT_TRUE(gone.expired());

    h.journal.Clear();
    h.popups->Close(0);
    h.browser->FireDocumentComplete();
    h.form->Resize(10, 10);
    EXPECT_TRUE(h.journal.Entries().empty());
}

}  // namespace
}  // namespace kvt::control
