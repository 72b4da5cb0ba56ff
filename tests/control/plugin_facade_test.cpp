#include "control/plugin_facade.h"

#include <gtest/gtest.h>

#include "fakes/control_harness.h"

namespace kvt::control {
namespace {

TEST(PluginFacade, TheOperationsWithoutBehaviourSucceedAndFillTheirOutArguments) {
    fakes::ControlHarness h;
    PluginFacade& f = h.facade;
    EXPECT_TRUE(f.Reserved3().Ok());
    EXPECT_TRUE(f.Reserved6().Ok());
    EXPECT_TRUE(f.Reserved7(7).Ok());
    EXPECT_TRUE(f.Reserved10(1, 2, 3).Ok());
    EXPECT_TRUE(f.Reserved11().Ok());
    EXPECT_TRUE(f.Reserved12(1, 2, 3).Ok());
    EXPECT_TRUE(f.Reserved14(1, 2, Variant(u"x")).Ok());

    StockInfo stock;
    stock.texts = {u"a", u"b", u"c", u"d"};
    bool flag = true;
    EXPECT_TRUE(f.QueryStockFlag(1, stock, flag).Ok());
    EXPECT_FALSE(flag);
    std::int32_t count = 9;
    EXPECT_TRUE(f.QueryCount(count).Ok());
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(f.GetStockInfo(stock, 5).Ok());
    for (const auto& text : stock.texts) {
        EXPECT_TRUE(text.empty());
    }
    Variant first(u"x");
    EXPECT_TRUE(f.QueryObjects(&first, nullptr).Ok());
    EXPECT_TRUE(first.IsEmpty());
    EXPECT_TRUE(h.journal.Entries().empty());
}

TEST(PluginFacade, ExecCommandEmptiesTheReplyEvenWhenItFails) {
    fakes::ControlHarness h;
    h.Start();
    h.browser->FireCommandState(browser::kCommandNavigateBack, true);
    h.browser->faults.Fail("GoBack", static_cast<HResult>(0x80004004u));
    WideString reply = u"stale";
    const CallResult result = h.facade.ExecCommand(u"GOTOBACK", reply);
    EXPECT_EQ(result.code, static_cast<HResult>(0x80004004u));
    EXPECT_TRUE(reply.empty());
}

TEST(CallResult, ConvertsEveryErrorInOnePlace) {
    EXPECT_TRUE(Guarded([] {}).Ok());
    const CallResult ole = Guarded([] { throw EOleError(kENoInterface, "no"); });
    EXPECT_EQ(ole.code, kENoInterface);
    EXPECT_EQ(ole.message, "no");
    const CallResult general = Guarded([] { throw EConvertError("'x' is not valid"); });
    EXPECT_EQ(general.code, kEUnexpected);
    EXPECT_EQ(general.message, "'x' is not valid");
    EXPECT_EQ(Guarded([] { throw 42; }).code, kEUnexpected);
}

}  // namespace
}  // namespace kvt::control
