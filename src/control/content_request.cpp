#include "control/content_request.h"

#include <charconv>

#include "settings/url_style.h"

namespace kvt::control {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view StripBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

AnsiString ComposeContentURL(std::string_view server_ip, std::string_view html_validate) {
    AnsiString url = "http://";
    url += server_ip;
    url += "/tavrix2009/kplm.aspx?";
    url += html_validate;
    return url;
}

AnsiString SectorListText(const StringList& ids, const StringList& names) {
    std::size_t length = 0;
    for (int i = 0; i < ids.Count(); ++i) {
        length += names.At(i).size() + ids.At(i).size() + 2;
    }
    AnsiString text;
    text.reserve(length);
    for (int i = 0; i < ids.Count(); ++i) {
        text += names.At(i);
        text += ';';
        text += ids.At(i);
        text += ',';
    }
    return text;
}

AnsiString ContentBody(std::string_view sel_id, std::string_view code, const StringList& ids,
                       const StringList& names) {
    AnsiString range = "0X";
    range += code;
    AnsiString body = "SelID=";
    body += settings::EncodeUrlStyle(sel_id);
    body += "&Range=";
    body += settings::EncodeUrlStyle(range);
    body += "&SectorList=";
    body += settings::EncodeUrlStyle(SectorListText(ids, names));
    return body;
}

std::int32_t SelectedPosition(std::string_view last_sele_id) {
    std::string_view text = StripBlanks(last_sele_id);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return 0;
        }
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return 0;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace kvt::control
