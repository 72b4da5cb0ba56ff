#pragma once
// The sample content server's pages: decoding the control's form-encoded request and
// rendering the personalised page for it. Field values arrive form-encoded in GBK; pages
// are UTF-8 HTML.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kvt::demo {

// Form fields: each name and value with "+" as space and "%XX" escapes undone. A "%" not
// followed by two hexadecimal digits stays as it is.
std::map<std::string, std::string> DecodeForm(std::string_view body);

struct SectorEntry {
    std::string name;  // UTF-8
    std::string id;
    bool operator==(const SectorEntry&) const = default;
};

struct ContentRequest {
    std::string sel_id;  // as sent
    std::string range;   // "0X" and the current sector's code
    std::vector<SectorEntry> sectors;
};

// Reads SelID, Range and SectorList ("name;ID," repeated; GBK) from a request body.
ContentRequest ParseContentRequest(std::string_view body);

// The list position SelID names; 0 when it is not a number.
int SelectedIndex(const ContentRequest& request);

// Text made safe inside HTML elements and quoted attributes.
std::string EscapeHtml(std::string_view text);

// The personalised page for the selected sector: the sector list as tabs, each a link
// zq://SelectID/ID/position; the sector's index and page commands (including a
// range-reference link and a link that opens a new window); its member stocks, rises red
// and falls green as the terminal's market shows them; the index's day as a chart; its
// headlines, which open in new windows; and the market overview in an iframe.
std::string RenderContentPage(const ContentRequest& request);

// A headline's link: the news page of that sector's item.
std::string HeadlineLink(std::string_view sector_id, std::size_t item);

// The page a range-reference link leads to, showing the code the control put in.
std::string RenderStockPage(std::string_view code);

// The page of the new-window link; it has a further new-window link of its own.
std::string RenderNewsPage(int depth);

// A headline's page, with the same further new-window link; the plain news page when the
// sector has no such item.
std::string RenderHeadlinePage(std::string_view sector_id, int item);

// The iframe's page: the market overview.
std::string RenderQuotePage();

}  // namespace kvt::demo
