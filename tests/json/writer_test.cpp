#include <gtest/gtest.h>

#include <limits>

#include "json/reader.h"
#include "json/value.h"
#include "json/writer.h"

namespace kvt::json {
namespace {

std::string Format(long double value) {
    const TqxJSONnumber number(value);
    return FormatJson(&number);
}

std::string Format(const std::u16string& text) {
    const TqxJSONstring value(text);
    return FormatJson(&value);
}

TEST(JsonWriter, MembersAreWrittenCompactlyInInsertionOrder) {
    auto object = TqxJSONobject::NewObject(true);
    object->AddMember(u"a", "x");
    object->AddMember(u"n", std::int32_t{5});
    EXPECT_EQ(FormatJson(object.get()), R"({"a":"x","n":5})");
    object->AddMember(u"a", 2.5);
    EXPECT_EQ(FormatJson(object.get()), R"({"a":"x","n":5,"a":2.5})");

    EXPECT_EQ(FormatJson(nullptr), "");
    EXPECT_EQ(FormatJson(TqxJSONlist().ItemAt(0)), "");
    EXPECT_EQ(FormatJson(std::make_unique<TqxJSONlist>().get()), "[]");
    EXPECT_EQ(FormatJson(TqxJSONobject::NewObject(false).get()), "{}");
    const TqxJSONbase bare;
    EXPECT_EQ(FormatJson(&bare), "");
    const TqxJSONobjectmethod pair(u"p", std::make_unique<TqxJSONnull>());
    EXPECT_EQ(FormatJson(&pair), R"("p":null)");
}

TEST(JsonWriter, NumbersUseTheGeneralFormat) {
    const struct {
        long double value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {5, "5"},
        {100, "100"},
        {-2.5L, "-2.5"},
        {0.1, "0.1"},
        {0.0001L, "0.0001"},
        {0.00001L, "1E-5"},
        {123456789012345.0L, "123456789012345"},
        {-123456789012345.0L, "-123456789012345"},
        {1e15L, "1E15"},
        {1234567890123456.0L, "1.23456789012346E15"},
        {1.0L / 3, "0.333333333333333"},
        {std::numeric_limits<long double>::infinity(), "null"},
        {-std::numeric_limits<long double>::infinity(), "null"},
        {std::numeric_limits<long double>::quiet_NaN(), "null"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Format(c.value), c.text) << static_cast<double>(c.value);
    }
}

TEST(JsonWriter, StringsAreRawUtf8WithFixedEscapes) {
    const struct {
        std::u16string value;
        std::string text;
    } cases[] = {
        {u"", R"("")"},
        {u"/\"\\", R"("\/\"\\")"},
        {u"\b\t\n\f\r", R"("\b\t\n\f\r")"},
        {u"\u0001\u001F", R"("\u0001\u001F")"},
        {std::u16string(1, u'\0'), R"("\u0000")"},
        {u"\u007F", "\"\x7F\""},
        {u"\u00E9", "\"\xC3\xA9\""},
        {u"中", "\"\xE4\xB8\xAD\""},
        // Surrogates are encoded one unit at a time.
        {u"\U0001F600", "\"\xED\xA0\xBD\xED\xB8\x80\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Format(c.value), c.text);
    }
}

TEST(JsonWriter, OutputBeyondTheFirstBufferIsWrittenWhole) {
    const std::u16string letters(60000, u'x');
    const std::string text = Format(letters);
    ASSERT_EQ(text.size(), 60002u);
    EXPECT_EQ(text.substr(0, 3), "\"xx");
    EXPECT_EQ(text.back(), '"');
}

TEST(JsonWriter, OutputReadsBackToTheSameText) {
    auto object = TqxJSONobject::NewObject(true);
    object->AddMember(u"名称", AnsiString("\xD6\xD0\xCE\xC4"));
    object->AddMember(u"ctl", std::make_unique<TqxJSONstring>(u"\u0001\"/\\\U0001F600"));
    object->AddMember(u"third", 1.0L / 3);
    object->AddMember(u"big", 1e300L);
    object->AddMember(u"inf", std::numeric_limits<long double>::infinity());
    auto list = std::make_unique<TqxJSONlist>();
    list->Append(std::make_unique<TqxJSONboolean>(true));
    list->Append(std::make_unique<TqxJSONnull>());
    list->Append(TqxJSONobject::NewObject(true));
    object->AddMember(u"list", std::move(list));

    const std::string first = FormatJson(object.get());
    const auto reread = ParseJson(first);
    ASSERT_NE(reread, nullptr) << first;
    EXPECT_EQ(FormatJson(reread.get()), first);
}

TEST(JsonWriter, EveryAsciiTextReadsBack) {
    std::u16string ascii;
    for (char16_t unit = 0; unit < 0x80; ++unit) {
        ascii.push_back(unit);
    }
    const std::string written = Format(ascii);
    const auto reread = ParseJson(written);
    ASSERT_NE(reread, nullptr) << written;
    ASSERT_EQ(reread->Kind(), TqxJSONkind::jsString);
    EXPECT_EQ(static_cast<const TqxJSONstring&>(*reread).StringValue, ascii) << written;
}

}  // namespace
}  // namespace kvt::json
