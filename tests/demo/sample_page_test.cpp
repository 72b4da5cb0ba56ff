// The sample server's information page: its made-up market, the chart, and the headline
// and market pages it links to.

#include <gtest/gtest.h>

#include <httplib.h>

#include <regex>
#include <set>

#include "hosts/demo/content_page.h"
#include "hosts/demo/content_server.h"
#include "hosts/demo/index_chart.h"
#include "hosts/demo/sample_market.h"

namespace kvt::demo {
namespace {

// The text between the first `open` and the `close` after it; empty when either is missing.
std::string Between(const std::string& text, const std::string& open, const std::string& close) {
    const std::size_t start = text.find(open);
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t end = text.find(close, start);
    return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

ContentRequest Request(std::vector<SectorEntry> sectors, const char* sel_id) {
    ContentRequest request;
    request.sel_id = sel_id;
    request.range = "0XSZ000101";
    request.sectors = std::move(sectors);
    return request;
}

TEST(SampleMarketTest, NumbersPrintWithTheirSignAndRoundHalfAwayFromZero) {
    const struct {
        std::int64_t value;
        bool signed_text;
        const char* text;
    } numbers[] = {{0, true, "0.00"},       {5, false, "0.05"},  {5, true, "+0.05"},
                   {-5, false, "-0.05"},    {-5, true, "-0.05"}, {-100, false, "-1.00"},
                   {12345, true, "+123.45"}};
    for (const auto& n : numbers) {
        EXPECT_EQ(FormatHundredths(n.value, n.signed_text), n.text) << n.value;
    }
    const struct {
        std::int64_t numerator;
        std::int64_t denominator;
        std::int64_t basis_points;
    } ratios[] = {{1, 3, 3333},  {2, 3, 6667},    {-2, 3, -6667},
                  {1, 20000, 1}, {-1, 20000, -1}, {1, 0, 0}};
    for (const auto& r : ratios) {
        EXPECT_EQ(RatioBasisPoints(r.numerator, r.denominator), r.basis_points)
            << r.numerator << "/" << r.denominator;
    }
}

TEST(SampleMarketTest, EverySectorHasDistinctRankedMembersAndAWholeDay) {
    for (const char* id : {"101", "102", "103", "104", "105", "", "x\"<&"}) {
        const SampleSector sector = MakeSampleSector(id);
        ASSERT_EQ(sector.stocks.size(), kSampleStocksPerSector) << id;
        std::set<std::string> codes;
        for (std::size_t i = 0; i < sector.stocks.size(); ++i) {
            const SampleStock& stock = sector.stocks[i];
            codes.insert(stock.code);
            EXPECT_EQ(stock.code.size(), 6u) << id;
            EXPECT_GT(stock.Price(), 0) << id;
            EXPECT_LE(std::llabs(stock.ChangeBasisPoints()), 1000) << id << " " << stock.code;
            if (i > 0) {
                EXPECT_GE(sector.stocks[i - 1].ChangeBasisPoints(), stock.ChangeBasisPoints());
            }
        }
        EXPECT_EQ(codes.size(), kSampleStocksPerSector) << id;
        EXPECT_EQ(sector.index_by_time.size(), kSampleIndexPoints) << id;
        EXPECT_EQ(sector.headlines.size(), kSampleHeadlinesPerSector) << id;
    }
}

TEST(SampleMarketTest, ChartStaysInsideItsDrawingOnAnyDay) {
    SampleSector flat;
    flat.index_previous_close = 100000;
    flat.index_by_time.assign(kSampleIndexPoints, 100000);
    SampleSector spike = flat;
    spike.index_by_time[10] = 110000;
    spike.index_by_time.back() = 95000;
    const std::regex point(R"((-?\d+),(-?\d+))");
    for (const SampleSector& sector :
         {flat, spike, MakeSampleSector("101"), MakeSampleSector("104")}) {
        const std::string svg = RenderIndexChart(sector);
        const std::string line = Between(svg, "<polyline", "/>");
        std::size_t points = 0;
        for (auto it = std::sregex_iterator(line.begin(), line.end(), point);
             it != std::sregex_iterator(); ++it, ++points) {
            const int x = std::stoi((*it)[1]);
            const int y = std::stoi((*it)[2]);
            EXPECT_TRUE(x >= 0 && x <= 360 && y >= 0 && y <= 270) << x << "," << y;
        }
        EXPECT_EQ(points, kSampleIndexPoints);
    }
    EXPECT_NE(RenderIndexChart(spike).find("class=\"line down\""), std::string::npos);
    EXPECT_NE(RenderIndexChart(flat).find("class=\"line flat\""), std::string::npos);
}

TEST(SamplePageTest, ASectorShowsTheSameFiguresWhateverItsPlaceInTheList) {
    const ContentRequest first = Request({{"银行", "101"}, {"钢铁", "103"}}, "0");
    const ContentRequest moved =
        Request({{"钢铁", "103"}, {"半导体", "105"}, {"银行", "101"}}, "2");
    const ContentRequest other = Request({{"钢铁", "103"}}, "0");
    const std::string page = RenderContentPage(first);
    EXPECT_EQ(page, RenderContentPage(first));
    const std::string stocks = Between(page, "<section class=\"stocks\">", "</section>");
    ASSERT_FALSE(stocks.empty());
    EXPECT_EQ(Between(RenderContentPage(moved), "<section class=\"stocks\">", "</section>"),
              stocks);
    EXPECT_NE(Between(RenderContentPage(other), "<section class=\"stocks\">", "</section>"),
              stocks);
    EXPECT_NE(page.find("<li class=\"current\"><a id=\"sel-0\" href=\"zq://SelectID/101/0\">"),
              std::string::npos);
    EXPECT_NE(RenderContentPage(moved).find(
                  "<li class=\"current\"><a id=\"sel-2\" href=\"zq://SelectID/101/2\">"),
              std::string::npos);
}

// Rises red, falls green, grey when flat: in every row of a table of moves the price, the
// change and the change in percent share one class, which the change's own text decides.
// A row without a sign must show no move at all.
struct MoveRows {
    std::set<std::string> classes;
    int rows = 0;
};

void CheckMoveRows(const std::string& page, MoveRows& seen) {
    const std::regex row(
        "<td class=\"(up|down|flat)\">([0-9]+\\.[0-9]{2})</td>"
        "<td class=\"(up|down|flat)\">([-+]?)([0-9]+\\.[0-9]{2})</td>"
        "<td class=\"(up|down|flat)\">([-+]?)([0-9]+\\.[0-9]{2})%</td>");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), row);
         it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        const std::string change_sign = m[4];
        const std::string expected =
            change_sign == "+" ? "up" : (change_sign == "-" ? "down" : "flat");
        EXPECT_EQ(m[1], expected) << m[0];
        EXPECT_EQ(m[3], expected) << m[0];
        EXPECT_EQ(m[6], expected) << m[0];
        if (expected == "flat") {
            EXPECT_EQ(m[5], "0.00") << m[0];
            EXPECT_EQ(m[7], "") << m[0];
            EXPECT_EQ(m[8], "0.00") << m[0];
        } else {
            EXPECT_NE(m[5], "0.00") << m[0];
        }
        seen.classes.insert(expected);
        ++seen.rows;
    }
}

TEST(SamplePageTest, MovesAreColouredByTheirDirection) {
    MoveRows seen;
    const std::string quotes = RenderQuotePage();
    CheckMoveRows(quotes, seen);
    EXPECT_EQ(seen.rows, 4) << "one row per index of the overview";
    for (const char* sector : {"101", "103", "105"}) {
        CheckMoveRows(RenderContentPage(Request({{"银行", sector}}, "0")), seen);
    }
    EXPECT_EQ(seen.rows, 4 + 3 * static_cast<int>(kSampleStocksPerSector));
    // The made-up market has no stock without a move; both directions show.
    EXPECT_TRUE(seen.classes.count("up") == 1 && seen.classes.count("down") == 1);
    EXPECT_NE(quotes.find(".up{color:#d9262c}.down{color:#12924a}"), std::string::npos);
}

TEST(SamplePageTest, WithoutACurrentSectorThePageStillHasItsCommandsAndFrame) {
    for (const char* sel_id : {"5", "-1"}) {
        const std::string page = RenderContentPage(Request({{"银行", "101"}}, sel_id));
        EXPECT_EQ(page.find("class=\"current\""), std::string::npos) << sel_id;
        EXPECT_EQ(page.find("<table"), std::string::npos) << sel_id;
        for (const char* part : {"zq://refresh", "code=rid{}", "id=\"news\"", "<iframe"}) {
            EXPECT_NE(page.find(part), std::string::npos) << sel_id << " " << part;
        }
    }
}

TEST(SamplePageTest, HeadlinesOpenInANewWindowWithTheSectorEncoded) {
    const std::string page = RenderContentPage(Request({{"<b>", "1&2 \"x\""}}, "0"));
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_NE(page.find("<a id=\"headline-3\" href=\"/tavrix2009/news.aspx?depth=1&amp;sector="
                        "1%262%20%22x%22&amp;item=3\" target=\"_blank\">"),
              std::string::npos);
}

// The first capture of `pattern` in `text`, or "" when it does not occur.
std::string Capture(const std::string& text, const char* pattern) {
    std::smatch match;
    return std::regex_search(text, match, std::regex(pattern)) ? match[1].str() : std::string();
}

// An attribute value as the browser reads it: the page escapes '&' in its links.
std::string Unescaped(std::string text) {
    for (std::size_t at = 0; (at = text.find("&amp;", at)) != std::string::npos; ++at) {
        text.erase(at + 1, 4);
    }
    return text;
}

TEST(SamplePageTest, ServerAnswersTheFrameAndHeadlineLinksThePageCarries) {
    ContentServer server;
    server.Start();
    httplib::Client client("127.0.0.1", server.Port());
    // The content page as the control asks for it: sector "1&2 x" named 银行 (GBK).
    const auto page = client.Post("/tavrix2009/kplm.aspx?user=demo",
                                  "SelID=0&Range=0XA&SectorList=%D2%F8%D0%D0%3B1%262+x%2C",
                                  "application/x-www-form-urlencoded");
    ASSERT_TRUE(page);
    ASSERT_EQ(page->status, 200);

    const std::string frame = Capture(page->body, "<iframe id=\"quote\" src=\"([^\"]+)\"");
    ASSERT_FALSE(frame.empty());
    const auto quote = client.Get(Unescaped(frame));
    ASSERT_TRUE(quote);
    EXPECT_EQ(quote->status, 200);
    EXPECT_NE(quote->body.find("<title>行情</title>"), std::string::npos);
    EXPECT_NE(quote->body.find("<tr><th>指数</th><th>最新</th><th>涨跌</th><th>涨跌幅</th></tr>"),
              std::string::npos);
    for (const char* index : {"综合指数", "成份指数", "中小盘指数", "成长指数"}) {
        EXPECT_NE(quote->body.find(std::string("<tr><td>") + index + "</td>"), std::string::npos)
            << index;
    }

    // The third headline's link, followed as the page gives it, opens a page of that title.
    const std::string link = Capture(page->body, "<a id=\"headline-2\" href=\"([^\"]+)\"");
    const std::string title = Capture(page->body, "<a id=\"headline-2\"[^>]*>([^<]+)</a>");
    ASSERT_FALSE(link.empty());
    ASSERT_FALSE(title.empty());
    EXPECT_EQ(Unescaped(link), "/tavrix2009/news.aspx?depth=1&sector=1%262%20x&item=2");
    const auto headline = client.Get(Unescaped(link));
    ASSERT_TRUE(headline);
    EXPECT_EQ(headline->status, 200);
    EXPECT_NE(headline->body.find("<title>" + title + "</title>"), std::string::npos);
    EXPECT_NE(headline->body.find("<h1>" + title + "</h1>"), std::string::npos);
    EXPECT_NE(headline->body.find("id=\"more\""), std::string::npos);
    for (const char* unknown : {"9", "x", "-1"}) {
        const auto fallback =
            client.Get(std::string("/tavrix2009/news.aspx?depth=1&sector=101&item=") + unknown);
        ASSERT_TRUE(fallback);
        EXPECT_NE(fallback->body.find("<title>要闻1</title>"), std::string::npos) << unknown;
    }
    server.Stop();
}

}  // namespace
}  // namespace kvt::demo
