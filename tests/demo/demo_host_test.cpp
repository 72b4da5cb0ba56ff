// The demo terminal's plain parts: the content server's decoding and pages, the sector
// tree and its change events, the command line.

#include <gtest/gtest.h>

#include <httplib.h>

#include "base/errors.h"
#include "base/text.h"
#include "control/range_events.h"
#include "hosts/demo/content_page.h"
#include "hosts/demo/content_server.h"
#include "hosts/demo/demo_host.h"
#include "hosts/demo/sector_tree.h"

namespace kvt::demo {
namespace {

TEST(ContentPageTest, FormDecodingUndoesEscapesAndKeepsBrokenOnes) {
    const struct {
        const char* body;
        const char* field;
        const char* value;
    } cases[] = {
        {"a=x+y", "a", "x y"}, {"a=%3B%2c", "a", ";,"},          {"a=100%", "a", "100%"},
        {"a=%4", "a", "%4"},   {"a=%zz1", "a", "%zz1"},          {"a=1&a=2", "a", "2"},
        {"a", "a", ""},        {"&&a=%D2%F8&", "a", "\xD2\xF8"},
    };
    for (const auto& c : cases) {
        const auto fields = DecodeForm(c.body);
        ASSERT_EQ(fields.count(c.field), 1u) << c.body;
        EXPECT_EQ(fields.at(c.field), c.value) << c.body;
    }
}

TEST(ContentPageTest, RequestCarriesSelectionRangeAndGbkSectorList) {
    const ContentRequest request = ParseContentRequest(
        "SelID=1&Range=0X1A2B&SectorList=%D2%F8%D0%D0%3B101%2Ca%3Bb%3B102%2Cbroken%2C");
    EXPECT_EQ(request.sel_id, "1");
    EXPECT_EQ(request.range, "0X1A2B");
    const std::vector<SectorEntry> expected = {{"银行", "101"}, {"a;b", "102"}};
    EXPECT_EQ(request.sectors, expected);

    const struct {
        const char* sel_id;
        int index;
    } positions[] = {{"2", 2}, {"abc", 0}, {"", 0}, {"1x", 0}, {"-1", -1}};
    for (const auto& p : positions) {
        ContentRequest r;
        r.sel_id = p.sel_id;
        EXPECT_EQ(SelectedIndex(r), p.index) << p.sel_id;
    }
}

TEST(ContentPageTest, PageHighlightsTheCurrentSectorAndEscapesHostText) {
    ContentRequest request;
    request.sel_id = "1";
    request.range = "0X<b>";
    request.sectors = {{"银行", "101"}, {"<script>x</script>", "10\"2"}};
    const std::string page = RenderContentPage(request);
    EXPECT_NE(page.find("<li><a id=\"sel-0\" href=\"zq://SelectID/101/0\">银行</a>"),
              std::string::npos);
    EXPECT_NE(page.find("<li class=\"current\"><a id=\"sel-1\" href=\"zq://SelectID/10&quot;2/1\">"
                        "&lt;script&gt;x&lt;/script&gt;</a>"),
              std::string::npos);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("0X&lt;b&gt;"), std::string::npos);
    for (const char* link : {"zq://refresh", "zq://key/13", "zq://calluds",
                             "stock.aspx?code=rid{10&quot;2}", "target=\"_blank\"", "<iframe"}) {
        EXPECT_NE(page.find(link), std::string::npos) << link;
    }
}

TEST(ContentServerTest, AnswersThePostedRequestAndRecordsIt) {
    ContentServer server;
    server.Start();
    httplib::Client client("127.0.0.1", server.Port());
    const auto response = client.Post("/tavrix2009/kplm.aspx?user=demo",
                                      "SelID=0&Range=0XA&SectorList=%D2%F8%D0%D0%3B101%2C",
                                      "application/x-www-form-urlencoded");
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 200);
    EXPECT_NE(response->body.find("class=\"current\"><a id=\"sel-0\""), std::string::npos);
    EXPECT_NE(response->body.find("银行"), std::string::npos);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].params.find("user")->second, "demo");
    EXPECT_EQ(requests[0].content_type, "application/x-www-form-urlencoded");
    server.Stop();
    EXPECT_FALSE(httplib::Client("127.0.0.1", server.Port()).Get("/tavrix2009/quote.aspx"));
}

class CountingDispatch : public host::RangeEventsDispatch {
  public:
    CallResult Invoke(std::int32_t dispatch_id, const std::vector<Variant>&) override {
        ids.push_back(dispatch_id);
        return {};
    }
    std::vector<std::int32_t> ids;
};

TEST(SectorTreeTest, EveryEditFiresTheChangeEventOnce) {
    SectorTree tree;
    auto sink = std::make_shared<CountingDispatch>();
    const std::uint32_t cookie = tree.ChangeEvents()->Advise(sink);
    SectorNode& root = *tree.RootNode();

    const auto group = tree.AddGroup(root, u"新分组");
    const auto sector = tree.AddSector(*group, u"新板块");
    EXPECT_EQ(sector->ID(), u"106");
    EXPECT_EQ(sector->Code(), u"SZ000106");
    EXPECT_EQ(tree.FindRange(u"106"), sector);
    tree.Rename(*sector, u"改名");
    tree.SetValid(*sector, false);
    EXPECT_FALSE(tree.FindRange(u"106")->IsValid());
    tree.Remove(*group);
    EXPECT_EQ(tree.FindRange(u"106"), nullptr);
    EXPECT_EQ(sink->ids, std::vector<std::int32_t>(5, control::kRangeChangeDispatchId));

    EXPECT_THROW(tree.AddGroup(*tree.FindSector(u"101"), u"x"), Exception);
    EXPECT_THROW(tree.Remove(root), Exception);
    EXPECT_THROW(tree.SetValid(root, false), Exception);
    EXPECT_EQ(sink->ids.size(), 5u) << "refused edits fire nothing";

    tree.ChangeEvents()->Unadvise(cookie);
    tree.Rename(*tree.FindSector(u"101"), u"x");
    EXPECT_EQ(sink->ids.size(), 5u);
    EXPECT_THROW(tree.ChangeEvents()->Unadvise(cookie), EOleError);
}

TEST(SectorTreeTest, WalkingTheTreeGivesTheSectorsInOrder) {
    SectorTree tree;
    std::vector<std::u16string> ids;
    const std::function<void(host::RangeItem&)> walk = [&](host::RangeItem& node) {
        for (int i = 0; i < node.Count(); ++i) {
            const auto child = node.Item(i);
            if (child->IsLeaf()) {
                ids.push_back(child->ID());
            } else {
                walk(*child);
            }
        }
    };
    walk(*tree.Root());
    EXPECT_EQ(ids, (std::vector<std::u16string>{u"101", u"102", u"103", u"104", u"105"}));
    EXPECT_THROW(tree.Root()->Item(2), Exception);
}

TEST(DemoOptionsTest, CommandLine) {
    const DemoOptions options = ParseDemoOptions(
        {"--db", "a.sqlite", "--server", "10.0.0.1:8080", "--screenshot", "x.png"});
    EXPECT_EQ(options.database, "a.sqlite");
    EXPECT_EQ(options.server, "10.0.0.1:8080");
    EXPECT_EQ(options.screenshot, "x.png");
    const std::vector<std::vector<std::string>> wrong = {{"--db"}, {"--port", "1"}, {"--db", ""}};
    for (const auto& arguments : wrong) {
        EXPECT_THROW(ParseDemoOptions(arguments), Exception);
    }
}

TEST(DemoControllerTest, HostDatabaseHasItsOwnTableAndTheDemoParameters) {
    auto sectors = std::make_shared<SectorTree>();
    DemoController controller(OpenHostDatabase(":memory:"), sectors, "127.0.0.1:1");
    std::u16string status;
    controller.SetStatusSink([&](const std::u16string& text) { status = text; });
    EXPECT_EQ(controller.GetParam(u"ServerIP"), u"127.0.0.1:1");
    EXPECT_EQ(controller.GetParam(u"HtmlValidate"), kDemoHtmlValidate);
    EXPECT_EQ(controller.QueryRanges(), sectors);
    EXPECT_EQ(controller.OpenSQL(u"select count(*) from netSYSTEM")->RecordCount(), 1);
    controller.HandleKey(13);
    EXPECT_EQ(status, u"HandleKey(13)");
    controller.OpenModule(u"M", u"P");
    EXPECT_EQ(status, u"OpenModule(M, P)");
}

}  // namespace
}  // namespace kvt::demo
