#include <gtest/gtest.h>

#include "base/text.h"

namespace kvt {
namespace {

TEST(CodePage, ChineseTextRoundTripsThroughGbk) {
    const WideString wide = u"资讯浏览 ABC";
    const AnsiString gbk = WideToAnsi(wide);
    // Four double-byte characters, a blank and three ASCII letters.
    EXPECT_EQ(gbk.size(), 12u);
    EXPECT_EQ(static_cast<unsigned char>(gbk[0]), 0xD7);  // 资 = D7 CA in GBK
    EXPECT_EQ(static_cast<unsigned char>(gbk[1]), 0xCA);
    EXPECT_EQ(AnsiToWide(gbk), wide);
}

TEST(CodePage, UnmappableAndBrokenInputBecomeQuestionMarks) {
    EXPECT_EQ(WideToAnsi(u"a\U0001F600b"), "a?b");  // an emoji has no GBK form
    EXPECT_EQ(AnsiToWide("a\xD7"), u"a?");          // a lead byte cut off at the end
    EXPECT_EQ(AnsiToWide(""), u"");
}

TEST(Utf8, ConvertsAllSequenceLengthsAndReplacesInvalidBytes) {
    EXPECT_EQ(Utf8ToWide("a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"), u"a\u00E9\u4E2D\U0001F600");
    EXPECT_EQ(WideToUtf8(u"a\u00E9\u4E2D\U0001F600"), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToWide("\xFF"
                         "a\xC3"),
              u"\uFFFDa\uFFFD");
}

TEST(Trim, RemovesControlCharactersAndBlanksAtBothEnds) {
    EXPECT_EQ(Trim(" \t KvTavrix2009 \r\n"), "KvTavrix2009");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("a b"), "a b");
}

TEST(SplitText, GivesEveryPieceBetweenDelimitersEmptyOnesIncluded) {
    using Pieces = std::vector<std::string_view>;
    const struct {
        std::string_view text;
        Pieces pieces;
    } cases[] = {
        {"", {""}},      {"a", {"a"}},     {"a,b", {"a", "b"}}, {",a,,b,", {"", "a", "", "b", ""}},
        {",", {"", ""}}, {"a;b", {"a;b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitText(c.text, ','), c.pieces) << c.text;
    }
}

TEST(SameTextAscii, IgnoresAsciiCaseOnly) {
    EXPECT_TRUE(SameTextAscii("GeneralConfig", "generalCONFIG"));
    EXPECT_FALSE(SameTextAscii("GeneralConfig", "GeneralConfig2"));
    EXPECT_FALSE(SameTextAscii("\xC4", "\xE4"));
    EXPECT_TRUE(SameTextAscii(u"TABLE", u"table"));
}

}  // namespace
}  // namespace kvt
