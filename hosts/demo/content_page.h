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

// The personalised page: the sector list with the current sector highlighted, a link
// zq://SelectID/ID/position per sector, the page commands, a range-reference link, a link
// that opens a new window, and an iframe.
std::string RenderContentPage(const ContentRequest& request);

// The page a range-reference link leads to, showing the code the control put in.
std::string RenderStockPage(std::string_view code);

// The page of the new-window link; it has a further new-window link of its own.
std::string RenderNewsPage(int depth);

// The iframe's page.
std::string RenderQuotePage();

}  // namespace kvt::demo
