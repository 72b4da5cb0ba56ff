#include "control/range_ref.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace kvt::control {
namespace {

// The reference semantics: the Perl pattern rid\{(.*?)\}, whose "." takes everything but
// a line feed, written for the standard (ECMAScript) engine.
const std::wregex& Reference() {
    static const std::wregex pattern(L"rid\\{([^\\n]*?)\\}");
    return pattern;
}

std::wstring ToW(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string FromW(const std::wstring& text) {
    std::u16string out;
    for (wchar_t c : text) {
        out.push_back(static_cast<char16_t>(c));
    }
    return out;
}

// Every match replaced by `replacement` taken literally (regex_replace would expand "$").
std::wstring ReferenceReplace(const std::wstring& text, const std::wstring& replacement) {
    std::wstring out;
    std::size_t copied = 0;
    for (auto it = std::wsregex_iterator(text.begin(), text.end(), Reference());
         it != std::wsregex_iterator(); ++it) {
        const auto position = static_cast<std::size_t>(it->position(0));
        out.append(text, copied, position - copied);
        out += replacement;
        copied = position + static_cast<std::size_t>(it->length(0));
    }
    out.append(text, copied);
    return out;
}

TEST(RangeRef, AgreesWithTheStandardRegexOnShortURLs) {
    const std::u16string urls[] = {
        u"",
        u"http://x/a.aspx",
        u"rid{101}",
        u"http://x/?r=rid{101}&s=rid{102}",
        u"rid{}",
        u"rid{a}}",
        u"rid{{a}",
        u"rid{rid{1}}",
        u"ririd{7}",
        u"RID{1} rid{2}",
        u"rid{a\nb} rid{c}",
        u"rid{a\rb}",
        u"rid{1\n",
        u"rid{ rid{ }",
        u"rid{1}rid{2}rid{3}",
        u"rid{unterminated",
        u"rid {1} rid{2",
        u"x=rid{板块}&y=1",
        u"\nrid{\n}rid{9}\n",
    };
    const std::u16string replacement = u"0X$1&\\1";  // must stay literal
    for (const std::u16string& url : urls) {
        std::wsmatch first;
        const std::wstring wide = ToW(url);
        const bool expected_found = std::regex_search(wide, first, Reference());
        const auto found = FindRangeRef(url);
        ASSERT_EQ(found.has_value(), expected_found) << ToW(url).size();
        if (found) {
            EXPECT_EQ(found->begin, static_cast<std::size_t>(first.position(0)));
            EXPECT_EQ(found->end - found->begin, static_cast<std::size_t>(first.length(0)));
            EXPECT_EQ(ToW(found->id), first.str(1));
        }
        const std::wstring expected = ReferenceReplace(wide, ToW(replacement));
        EXPECT_EQ(ReplaceRangeRefs(url, replacement), FromW(expected));
    }
}

TEST(RangeRef, HandlesMegabyteURLsWithoutBacktrackingOrDeepStack) {
    // Many openings that never close, then one reference far behind a line feed.
    std::u16string url;
    for (int i = 0; i < 200'000; ++i) {
        url += u"rid{x";
    }
    url += u"\nrid{42}";
    const auto found = FindRangeRef(url);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->id, u"42");

    // A long reference body.
    std::u16string body(4'000'000, u'a');
    const std::u16string long_ref = u"p=rid{" + body + u"}&q";
    EXPECT_EQ(ReplaceRangeRefs(long_ref, u"0X1"), u"p=0X1&q");
}

}  // namespace
}  // namespace kvt::control
