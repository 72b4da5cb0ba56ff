#include "hosts/demo/content_page.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "base/hex.h"
#include "base/text.h"
#include "hosts/demo/index_chart.h"
#include "hosts/demo/sample_market.h"

namespace kvt::demo {

namespace {

std::string DecodeComponent(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            decoded += ' ';
            continue;
        }
        if (c == '%' && i + 2 < text.size()) {
            const int byte = HexByteValue(text[i + 1], text[i + 2]);
            if (byte >= 0) {
                decoded += static_cast<char>(byte);
                i += 2;
                continue;
            }
        }
        decoded += c;
    }
    return decoded;
}

// "name;ID," items; a name may itself hold ";", so the ID follows the last one.
std::vector<SectorEntry> ParseSectorList(std::string_view list) {
    std::vector<SectorEntry> sectors;
    for (const std::string_view item : SplitText(list, ',')) {
        const std::size_t split = item.rfind(';');
        if (split != std::string_view::npos) {
            sectors.push_back(
                {Utf8FromAnsi(item.substr(0, split)), std::string(item.substr(split + 1))});
        }
    }
    return sectors;
}

std::string Field(const std::map<std::string, std::string>& fields, const std::string& name) {
    const auto found = fields.find(name);
    return found != fields.end() ? found->second : std::string();
}

constexpr std::string_view kStyle =
    "<style>*{box-sizing:border-box}"
    "body{font:13px/1.4 sans-serif;margin:0;background:#eef1f5;color:#1d2430}"
    "body.frame{background:#fff}"
    "a{color:#1f4f8a;text-decoration:none}a:hover{text-decoration:underline}"
    "header{display:flex;align-items:baseline;gap:12px;padding:7px 12px;background:#1f3a5f;"
    "color:#fff}h1{font-size:16px;margin:0}header p{margin:0;font-size:12px;color:#b8c6da}"
    "header .note{margin-left:auto}"
    "#sectors{display:flex;flex-wrap:wrap;gap:3px;list-style:none;margin:0;padding:6px 12px 0;"
    "background:#dde3ec;border-bottom:2px solid #1f3a5f}"
    "#sectors li{padding:3px 14px;background:#f6f8fa;border:1px solid #c3ccd8;"
    "border-bottom:0;border-radius:4px 4px 0 0}#sectors li a{color:#1d2430}"
    "#sectors li.current{background:#1f3a5f;border-color:#1f3a5f}"
    "#sectors li.current a{color:#fff;font-weight:bold}"
    "main{display:grid;grid-template-columns:11fr 9fr;gap:8px;padding:8px 12px}"
    "section{background:#fff;border:1px solid #d5dbe3;border-radius:4px;padding:6px 10px}"
    "h2{display:flex;justify-content:space-between;font-size:13px;margin:0 0 4px;"
    "color:#1f3a5f}h2 small{font-weight:normal;color:#6b7685}"
    ".summary{grid-column:1/-1;display:flex;flex-wrap:wrap;align-items:baseline;gap:6px 14px}"
    ".summary .name{font-size:16px}.summary .index{font-size:20px;font-weight:bold}"
    ".bar{margin-left:auto}.bar a{margin-left:12px}"
    "table{width:100%;border-collapse:collapse;font-variant-numeric:tabular-nums}"
    "th{font-weight:normal;color:#6b7685;border-bottom:1px solid #d5dbe3}"
    "th,td{padding:2px 4px;text-align:right;white-space:nowrap}"
    "td{border-bottom:1px solid #eef1f5}th:nth-child(-n+2),td:nth-child(-n+2){text-align:left}"
    ".overview th:nth-child(2),.overview td:nth-child(2){text-align:right}"
    ".up{color:#d9262c}.down{color:#12924a}.flat{color:#6b7685}"
    ".legend{margin:4px 0 0;font-size:12px;color:#6b7685}.legend b{font-weight:normal}"
    ".chart{display:block;width:100%;height:auto}.chart .grid line{stroke:#e3e7ed}"
    ".chart .base{stroke:#98a2b3;stroke-dasharray:4 3}"
    ".chart .line{fill:none;stroke:currentColor;stroke-width:1.6}"
    ".chart .area{fill:currentColor;fill-opacity:.08}"
    ".chart text{font-size:12px;fill:currentColor}.chart text.time{fill:#6b7685}"
    ".headlines{list-style:none;margin:0;padding:0}"
    ".headlines li{display:flex;gap:8px;padding:2px 0;border-bottom:1px dashed #e3e7ed}"
    ".headlines time{color:#6b7685;font-variant-numeric:tabular-nums}"
    "iframe{display:block;width:100%;height:124px;border:0}"
    "article{max-width:640px;margin:12px auto;padding:0 12px}article h1{font-size:18px}"
    "article .meta{color:#6b7685}</style>";

std::string PageStart(std::string_view title, std::string_view body_class = {}) {
    std::string page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>";
    page += EscapeHtml(title);
    page += "</title>";
    page += kStyle;
    page += body_class.empty() ? "</head><body>"
                               : "</head><body class=\"" + std::string(body_class) + "\">";
    return page;
}

// A price, its change and the change in percent, each coloured by the direction.
std::string MoveCells(std::int64_t price, std::int64_t change, std::int64_t basis_points) {
    const std::string cell = std::string("<td class=\"") + MoveClass(change) + "\">";
    return cell + FormatHundredths(price) + "</td>" + cell + FormatHundredths(change, true) +
           "</td>" + cell + FormatHundredths(basis_points, true) + "%</td>";
}

// Percent-encodes all but the unreserved characters of a query value.
std::string EncodeQueryValue(std::string_view text) {
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '-' || c == '_' || c == '.' || c == '~') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kUpperHexDigits[byte >> 4];
            encoded += kUpperHexDigits[byte & 0x0F];
        }
    }
    return encoded;
}

std::string SectorTabs(const ContentRequest& request, int selected) {
    std::string tabs = "<ul id=\"sectors\">";
    for (std::size_t i = 0; i < request.sectors.size(); ++i) {
        const SectorEntry& sector = request.sectors[i];
        const std::string position = std::to_string(i);
        tabs += static_cast<int>(i) == selected ? "<li class=\"current\">" : "<li>";
        tabs += "<a id=\"sel-" + position + "\" href=\"zq://SelectID/" + EscapeHtml(sector.id) +
                "/" + position + "\">" + EscapeHtml(sector.name) + "</a></li>";
    }
    return tabs + "</ul>";
}

// The page commands; the range reference names the current sector, if any.
std::string CommandBar(std::string_view current_id) {
    return "<span class=\"bar\"><a id=\"refresh\" href=\"zq://refresh\">刷新</a>"
           "<a id=\"key\" href=\"zq://key/13\">回车键</a>"
           "<a id=\"calluds\" href=\"zq://calluds\">板块管理</a>"
           "<a id=\"rid\" href=\"/tavrix2009/stock.aspx?code=rid{" +
           EscapeHtml(current_id) +
           "}\">板块行情</a>"
           "<a id=\"news\" href=\"/tavrix2009/news.aspx?depth=1\" target=\"_blank\">要闻</a>"
           "</span>";
}

std::string Summary(const SectorEntry* current, const SampleSector& sample) {
    std::string summary = "<section class=\"summary\">";
    if (current == nullptr) {
        summary += "<b class=\"name\">未选择板块</b>";
    } else {
        const std::int64_t change = sample.IndexChange();
        const auto rises = std::count_if(sample.stocks.begin(), sample.stocks.end(),
                                         [](const SampleStock& s) { return s.change > 0; });
        const auto falls = std::count_if(sample.stocks.begin(), sample.stocks.end(),
                                         [](const SampleStock& s) { return s.change < 0; });
        const std::string direction = MoveClass(change);
        summary += "<b class=\"name\">" + EscapeHtml(current->name) + "</b>";
        summary += "<span class=\"index " + direction + "\">" +
                   FormatHundredths(sample.index_by_time.back()) + "</span>";
        summary += "<span class=\"" + direction + "\">" + FormatHundredths(change, true) + " " +
                   FormatHundredths(sample.IndexChangeBasisPoints(), true) + "%</span>";
        summary += "<span>上涨 <b class=\"up\">" + std::to_string(rises) +
                   "</b> 家 下跌 <b class=\"down\">" + std::to_string(falls) + "</b> 家</span>";
    }
    summary += CommandBar(current != nullptr ? current->id : std::string());
    return summary + "</section>";
}

std::string StockTable(const SampleSector& sample) {
    std::string table =
        "<section class=\"stocks\"><h2>成分股<small>按涨跌幅</small></h2><table>"
        "<tr><th>代码</th><th>名称</th><th>最新</th><th>涨跌</th><th>涨跌幅</th></tr>";
    for (const SampleStock& stock : sample.stocks) {
        table += "<tr><td>" + stock.code + "</td><td>" + stock.name + "</td>" +
                 MoveCells(stock.Price(), stock.change, stock.ChangeBasisPoints()) + "</tr>";
    }
    return table +
           "</table><p class=\"legend\"><b class=\"up\">红色</b>为上涨，"
           "<b class=\"down\">绿色</b>为下跌，灰色为平盘。</p></section>";
}

std::string Headlines(std::string_view sector_id, const SampleSector& sample) {
    std::string list = "<section class=\"news\"><h2>板块要闻</h2><ul class=\"headlines\">";
    for (std::size_t i = 0; i < sample.headlines.size(); ++i) {
        list += "<li><time>" + sample.headlines[i].time + "</time><a id=\"headline-" +
                std::to_string(i) + "\" href=\"" + EscapeHtml(HeadlineLink(sector_id, i)) +
                "\" target=\"_blank\">" + EscapeHtml(sample.headlines[i].text) + "</a></li>";
    }
    return list + "</ul></section>";
}

// The news page's further new-window link.
std::string MoreLink(int depth) {
    return "<p><a id=\"more\" href=\"/tavrix2009/news.aspx?depth=" + std::to_string(depth + 1) +
           "\" target=\"_blank\">更多</a></p>";
}

std::string MarketFrame() {
    return "<section class=\"market\"><h2>市场概况</h2>"
           "<iframe id=\"quote\" src=\"/tavrix2009/quote.aspx\" title=\"市场概况\"></iframe>"
           "</section>";
}

}  // namespace

std::map<std::string, std::string> DecodeForm(std::string_view body) {
    std::map<std::string, std::string> fields;
    for (const std::string_view pair : SplitText(body, '&')) {
        if (pair.empty()) {
            continue;
        }
        const std::size_t equals = pair.find('=');
        const std::string_view name = pair.substr(0, equals);
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
        fields.insert_or_assign(DecodeComponent(name), DecodeComponent(value));
    }
    return fields;
}

ContentRequest ParseContentRequest(std::string_view body) {
    const auto fields = DecodeForm(body);
    ContentRequest request;
    request.sel_id = Field(fields, "SelID");
    request.range = Field(fields, "Range");
    request.sectors = ParseSectorList(Field(fields, "SectorList"));
    return request;
}

int SelectedIndex(const ContentRequest& request) {
    int index = 0;
    const char* const first = request.sel_id.data();
    const char* const last = first + request.sel_id.size();
    const auto [end, error] = std::from_chars(first, last, index);
    return error == std::errc() && end == last ? index : 0;
}

std::string EscapeHtml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string RenderContentPage(const ContentRequest& request) {
    const int selected = SelectedIndex(request);
    const bool has_current =
        selected >= 0 && static_cast<std::size_t>(selected) < request.sectors.size();
    const SectorEntry* const current =
        has_current ? &request.sectors[static_cast<std::size_t>(selected)] : nullptr;
    const SampleSector sample = current != nullptr ? MakeSampleSector(current->id) : SampleSector();

    std::string page = PageStart("板块资讯");
    page += "<header><h1>我的板块</h1><p id=\"range\">当前板块代码: " + EscapeHtml(request.range) +
            "</p><p class=\"note\">示例数据，非实时行情 · 收盘 15:00</p></header>";
    page += SectorTabs(request, selected);
    page += "<main>" + Summary(current, sample);
    if (current != nullptr) {
        page += StockTable(sample);
        page += "<section class=\"trend\"><h2>板块指数<small>分时</small></h2>" +
                RenderIndexChart(sample) + "</section>";
        page += Headlines(current->id, sample);
    }
    page += MarketFrame() + "</main></body></html>";
    return page;
}

std::string HeadlineLink(std::string_view sector_id, std::size_t item) {
    return "/tavrix2009/news.aspx?depth=1&sector=" + EncodeQueryValue(sector_id) +
           "&item=" + std::to_string(item);
}

std::string RenderStockPage(std::string_view code) {
    std::string page = PageStart("板块行情");
    page += "<article><h1>板块行情</h1><p id=\"code\">" + EscapeHtml(code) +
            "</p></article></body></html>";
    return page;
}

std::string RenderNewsPage(int depth) {
    std::string page = PageStart("要闻" + std::to_string(depth));
    page += "<article><h1>要闻</h1>" + MoreLink(depth) + "</article></body></html>";
    return page;
}

std::string RenderHeadlinePage(std::string_view sector_id, int item) {
    const SampleSector sample = MakeSampleSector(sector_id);
    if (item < 0 || static_cast<std::size_t>(item) >= sample.headlines.size()) {
        return RenderNewsPage(1);
    }
    const SampleHeadline& headline = sample.headlines[static_cast<std::size_t>(item)];
    std::string page = PageStart(headline.text);
    page +=
        "<article><h1>" + EscapeHtml(headline.text) + "</h1><p class=\"meta\">" + headline.time +
        " · 示例资讯</p><p>本文为演示终端的示例内容，用于展示资讯窗口。"
        "板块指数今日收于 <b class=\"" +
        MoveClass(sample.IndexChange()) + "\">" + FormatHundredths(sample.index_by_time.back()) +
        "</b>，涨跌幅 " + FormatHundredths(sample.IndexChangeBasisPoints(), true) + "%。</p>" +
        MoreLink(1) + "</article></body></html>";
    return page;
}

std::string RenderQuotePage() {
    std::string page = PageStart("行情", "frame");
    page +=
        "<table class=\"overview\"><tr><th>指数</th><th>最新</th><th>涨跌</th><th>涨跌幅</th></tr>";
    const std::vector<SampleIndex> indices = MakeSampleIndices();
    for (const SampleIndex& index : indices) {
        page += "<tr><td>" + index.name + "</td>" +
                MoveCells(index.previous_close + index.change, index.change,
                          RatioBasisPoints(index.change, index.previous_close)) +
                "</tr>";
    }
    return page + "</table></body></html>";
}

}  // namespace kvt::demo
