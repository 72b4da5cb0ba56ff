#include "hosts/demo/content_page.h"

#include <charconv>

#include "base/hex.h"
#include "base/text.h"

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
    "<style>body{font:13px sans-serif;margin:8px;background:#f6f7f9}"
    "h1{font-size:16px;margin:0 0 6px}ul{list-style:none;padding:0;margin:0 0 8px}"
    "li{display:inline-block;margin:2px;padding:3px 8px;border:1px solid #c8ccd2;"
    "background:#fff}li.current{background:#ff8040;border-color:#c05020}"
    "li.current a{color:#fff;font-weight:bold}.bar a{margin-right:12px}"
    "iframe{width:100%;height:60px;border:1px solid #c8ccd2;background:#fff}</style>";

std::string PageStart(std::string_view title) {
    std::string page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>";
    page += EscapeHtml(title);
    page += "</title>";
    page += kStyle;
    page += "</head><body>";
    return page;
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
    std::string current_id;
    std::string page = PageStart("板块资讯");
    page += "<h1>我的板块</h1><ul id=\"sectors\">";
    for (std::size_t i = 0; i < request.sectors.size(); ++i) {
        const SectorEntry& sector = request.sectors[i];
        const bool current = static_cast<int>(i) == selected;
        if (current) {
            current_id = sector.id;
        }
        const std::string position = std::to_string(i);
        page += current ? "<li class=\"current\">" : "<li>";
        page += "<a id=\"sel-" + position + "\" href=\"zq://SelectID/" + EscapeHtml(sector.id) +
                "/" + position + "\">" + EscapeHtml(sector.name) + "</a></li>";
    }
    page += "</ul><p id=\"range\">当前板块代码: " + EscapeHtml(request.range) + "</p>";
    page += "<p class=\"bar\">";
    page += "<a id=\"refresh\" href=\"zq://refresh\">刷新</a>";
    page += "<a id=\"key\" href=\"zq://key/13\">回车键</a>";
    page += "<a id=\"calluds\" href=\"zq://calluds\">板块管理</a>";
    page += "<a id=\"rid\" href=\"/tavrix2009/stock.aspx?code=rid{" + EscapeHtml(current_id) +
            "}\">板块行情</a>";
    page += "<a id=\"news\" href=\"/tavrix2009/news.aspx?depth=1\" target=\"_blank\">要闻</a>";
    page += "</p><iframe id=\"quote\" src=\"/tavrix2009/quote.aspx\"></iframe></body></html>";
    return page;
}

std::string RenderStockPage(std::string_view code) {
    std::string page = PageStart("板块行情");
    page += "<h1>板块行情</h1><p id=\"code\">" + EscapeHtml(code) + "</p></body></html>";
    return page;
}

std::string RenderNewsPage(int depth) {
    std::string page = PageStart("要闻" + std::to_string(depth));
    page += "<h1>要闻</h1><p><a id=\"more\" href=\"/tavrix2009/news.aspx?depth=" +
            std::to_string(depth + 1) + "\" target=\"_blank\">更多</a></p></body></html>";
    return page;
}

std::string RenderQuotePage() {
    return PageStart("行情") + "<p>上证指数 3000.00 +0.50%</p></body></html>";
}

}  // namespace kvt::demo
