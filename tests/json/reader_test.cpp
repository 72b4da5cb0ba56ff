#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "json/reader.h"
#include "json/value.h"
#include "json/writer.h"

namespace kvt::json {
namespace {

using std::string_literals::operator""s;

// Compact text of what the reader built, or "none".
std::string Reparse(std::string_view text) {
    const auto root = ParseJson(text);
    return root ? FormatJson(root.get()) : "none";
}

TEST(JsonReader, AcceptedForms) {
    const struct {
        std::string text;
        const char* tree;
    } cases[] = {
        {"true", "true"},
        {"false", "false"},
        {"null", "null"},
        {"5", "5"},
        {"\"s\"", "\"s\""},
        {"truex", "true"},  // nothing checks the byte after a literal
        {"{\"a\":1} trailing words", "{\"a\":1}"},
        {"[]", "[]"},
        {"[ ]", "[]"},
        {"{}", "{}"},
        {"{ }", "{}"},
        {"[1 2]", "[1,2]"},
        {"[1,2,]", "[1,2]"},
        {"[1,]", "[1]"},
        {"+1", "1"},
        {"007", "7"},
        {"1.5e3", "1500"},
        {"-0.25E-2", "-0.0025"},
        {"1E+2", "100"},
        {"-0", "0"},
        {"1e-99999", "0"},  // below the range of the type: zero
        {"123456789012345678901234567890", "1.23456789012346E29"},
        {"0.1000000000000000000000001", "0.1"},
        {"\0\t[\n1\r,\0002]"s, "[1,2]"},  // bytes up to 0x20 count as whitespace
        {"{\"k\":1,\"k\":2}", "{\"k\":1,\"k\":2}"},
        {" { \"a\" : [ true , { \"b\" : null } ] } ", "{\"a\":[true,{\"b\":null}]}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Reparse(c.text), c.tree) << c.text;
    }
}

TEST(JsonReader, RejectedForms) {
    const std::string cases[] = {
        "",
        " ",
        "tru",
        "nul",
        "[,1]",
        "[1,,2]",
        "[[1]",
        "[1",
        "{",
        "{\"a\"}",
        "{\"a\" 1}",
        "{\"a\":}",
        "{a:1}",
        "{\"a\":1",
        "1.",
        ".5",
        "1e",
        "1e+",
        "-",
        "+",
        "1e99999",
        "\"abc",
        "\"a\\",
        "]",
        "\xEF\xBB\xBF{}",  // a byte-order mark is neither whitespace nor a value
        "\"\\u12G4\"",     // a bad \u escape fails the whole parse
        "[\"\\u12\"]",
    };
    for (const auto& text : cases) {
        EXPECT_EQ(Reparse(text), "none") << text;
    }
}

TEST(JsonReader, StringEscapesAndUtf8Decoding) {
    const struct {
        std::string token;
        std::u16string value;
    } cases[] = {
        {R"("a\"b")", u"a\"b"},
        {R"("a\/b")", u"a/b"},
        {R"("a\qb")", u"ab"},  // an unknown escape drops both bytes
        {R"("\b\f\n\r\t\\")", u"\b\f\n\r\t\\"},
        {R"("\u00e9\u00E9")", u"\u00E9\u00E9"},
        {R"("\ud83d\ude00")", u"\U0001F600"},  // two escapes spelling a surrogate pair
        {"\"\xC3\xA9\"", u"\u00E9"},
        {"\"\xE4\xB8\xAD\xE6\x96\x87\"", u"中文"},
        {"\"\xF0\x9F\x98\x80\"", u"\U0001F600"},  // raw four-byte UTF-8: a surrogate pair
        {"\"a\xC3\"", u""},                       // cut-off sequence: the value is empty
        {"\"a\xC3(\"", u""},                      // wrong continuation byte
        {"\"\xA9x\"", u""},                       // a byte that cannot start a sequence
        {"\"\xFFx\"", u""},
        {"\"\xF4\x90\x80\x80\"", u""},    // beyond U+10FFFF
        {"\"tab\there\"", u"tab\there"},  // control bytes pass unchanged
    };
    for (const auto& c : cases) {
        const auto root = ParseJson(c.token);
        ASSERT_NE(root, nullptr) << c.token;
        ASSERT_EQ(root->Kind(), TqxJSONkind::jsString) << c.token;
        EXPECT_EQ(static_cast<TqxJSONstring*>(root.get())->StringValue, c.value) << c.token;
    }
}

TEST(JsonReader, NumbersKeepExtendedPrecision) {
    const auto root = ParseJson("[0.1, 9007199254740993, 1.7976931348623157e308]");
    ASSERT_NE(root, nullptr);
    auto number = [&](int i) { return static_cast<TqxJSONnumber*>(root->ItemAt(i))->NumberValue; };
    EXPECT_EQ(number(0), 0.1L);
    EXPECT_EQ(number(1), 9007199254740993.0L);  // not representable as a double
    EXPECT_EQ(static_cast<double>(number(2)), 1.7976931348623157e308);
}

TEST(JsonReader, NumbersReadBackThroughTheGeneralFormat) {
    struct NumberCase {
        const char* text;
        const char* written;
    };
    const NumberCase cases[] = {
        // Exact ties at the 15th digit round away from zero.
        {"100000000000000.5", "100000000000001"},
        {"-100000000000000.5", "-100000000000001"},
        {"1234567890123.125", "1234567890123.13"},
        {"123456789012344500", "1.23456789012345E17"},  // a tie only the extended type holds
        // Not ties once read: the nearest extended values lie just below and just above.
        {"0.3000000000000005", "0.3"},
        {"0.1234567890123455", "0.123456789012346"},
    };
    const NumberCase subnormal_cases[] = {
        // Below the extended type's normal range: the nearest subnormal, not 0.
        {"3.3e-4932", "3.3E-4932"},
        {"-3.3e-4932", "-3.3E-4932"},
        {"0.00033e-4928", "3.3E-4932"},
        {"4e-4951", "3.64519953188247E-4951"},
        {"2e-4951", "3.64519953188247E-4951"},  // above half the smallest subnormal
        {"1e-4951", "0"},                       // below it
        {"1e-5000", "0"},
        // Beyond double's range and precision, within the extended type's.
        {"2.43e4930", "2.43E4930"},
        {"1.18973149535723176502e4932", "1.18973149535723E4932"},  // its largest value
        {"1.2e4932", "none"},                                      // beyond it
        {"123456789012345678901234567890", "1.23456789012346E29"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Reparse(c.text), c.written) << c.text;
    }
    if constexpr (std::numeric_limits<NumberType>::min_exponent < -16000) {
        for (const auto& c : subnormal_cases) {
            EXPECT_EQ(Reparse(c.text), c.written) << c.text;
        }
    }
}

// A numeral of a random shape: sign, up to 22 whole and 22 fraction digits (leading zeros
// in the fraction), and an exponent from small to beyond the normal range, so that the
// short, exact-power, general and subnormal paths all run.
std::string RandomNumeral(std::mt19937_64& random) {
    const auto pick = [&random](unsigned n) { return static_cast<unsigned>(random() % n); };
    std::string text;
    if (pick(4) == 0) {
        text += '-';
    }
    const unsigned whole = 1 + pick(22);
    text += whole == 1 ? static_cast<char>('0' + pick(10)) : static_cast<char>('1' + pick(9));
    for (unsigned i = 1; i < whole; ++i) {
        text += static_cast<char>('0' + pick(10));
    }
    if (pick(2) == 0) {
        text += '.';
        const unsigned zeros = pick(3) == 0 ? pick(12) : 0;
        text.append(zeros, '0');
        for (unsigned i = 0, n = 1 + pick(22); i < n; ++i) {
            text += static_cast<char>('0' + pick(10));
        }
    }
    switch (pick(4)) {
        case 0:
            break;
        case 1:
            text += (pick(2) != 0 ? "e" : "E+") + std::to_string(pick(30));
            break;
        case 2:
            text += "e-" + std::to_string(pick(400));
            break;
        default:
            text += (pick(2) != 0 ? "e" : "e-") + std::to_string(4880 + pick(110));
            break;
    }
    return text;
}

TEST(JsonReader, NumbersAreTheCLibrarysCorrectlyRoundedValues) {
    std::mt19937_64 random(20261211);
    int checked = 0;
    for (int i = 0; i < 100000; ++i) {
        const std::string numeral = RandomNumeral(random);
        const long double expected = std::strtold(numeral.c_str(), nullptr);
        if (std::isinf(expected)) {
            EXPECT_EQ(Reparse("[" + numeral + "]"), "none") << numeral;
            continue;
        }
        const auto root = ParseJson("[" + numeral + "]");
        ASSERT_NE(root, nullptr) << numeral;
        const long double read = static_cast<TqxJSONnumber*>(root->ItemAt(0))->NumberValue;
        ASSERT_EQ(read, expected) << numeral;
        ++checked;
    }
    EXPECT_GT(checked, 90000);  // the shapes above overflow only a few times in a hundred
}

TEST(JsonReader, RepeatedNamesStayInTextOrderAndTheLastOneIsFound) {
    const auto root = ParseJson(R"({"k":1,"k":2})");
    auto* object = dynamic_cast<TqxJSONobject*>(root.get());
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(object->Hashed);
    EXPECT_EQ(object->ItemCount(), 2);
    EXPECT_EQ(object->IntAt(0), 2);
    EXPECT_EQ(static_cast<TqxJSONnumber*>(object->MemberByName(u"k"))->NumberValue, 2);
}

TEST(JsonReader, DeepNestingYieldsNoneInsteadOfCrashing) {
    EXPECT_EQ(ParseJson(std::string(1000000, '[')), nullptr);
    std::string deep_objects;
    for (int i = 0; i < 200000; ++i) {
        deep_objects += "{\"a\":";
    }
    EXPECT_EQ(ParseJson(deep_objects), nullptr);
    // Moderate nesting still parses.
    const std::string nested = std::string(500, '[') + std::string(500, ']');
    EXPECT_NE(ParseJson(nested), nullptr);
}

TEST(JsonReader, TheLengthBoundsTheParseNotAZeroByte) {
    const std::string text = "[1,\0 2]"s;
    EXPECT_EQ(Reparse(text), "[1,2]");
    EXPECT_EQ(Reparse(std::string_view("[1,2]", 4)), "none");
}

}  // namespace
}  // namespace kvt::json
