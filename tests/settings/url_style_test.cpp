#include "settings/url_style.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace kvt::settings {
namespace {

struct CodecCase {
    std::string plain;
    std::string encoded;
};

TEST(UrlStyleTest, EncodesByteByByte) {
    const CodecCase cases[] = {
        {"12,34 5", "12%2C34+5"},
        {"a'b", "a'b"},
        {"%", "%25"},
        {"+", "%2B"},
        {"\xE4", "%E4"},
        {"\n", "%0A"},
        {"AZaz09!$'()*-.@_", "AZaz09!$'()*-.@_"},
        {"\"\\/{}[]:;=&?#~`^|<>", "%22%5C%2F%7B%7D%5B%5D%3A%3B%3D%26%3F%23%7E%60%5E%7C%3C%3E"},
        {std::string("ab\0cd", 5), "ab"},  // a zero byte ends the input
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeUrlStyle(c.plain), c.encoded) << c.encoded;
    }
}

TEST(UrlStyleTest, DecodesEscapes) {
    const CodecCase cases[] = {
        {"a bA%", "a+b%41%%"},    {"\xE4", "%e4"}, {"\xE4", "%E4"},
        {"12,34 5", "12%2C34+5"}, {"%%", "%%%%"},  {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeUrlStyle(c.encoded), c.plain) << c.encoded;
    }
}

TEST(UrlStyleTest, DecodingUndoesEncodingOfEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(DecodeUrlStyle(EncodeUrlStyle(all)), all);
}

TEST(UrlStyleTest, ReportsBadEscapesWithTheirPosition) {
    struct ErrorCase {
        std::string text;
        bool convert_error;
        std::string message;
    };
    const ErrorCase cases[] = {
        {"abc%4", false, "Error decoding URL style (%XX) encoded string at position 4"},
        {"%", false, "Error decoding URL style (%XX) encoded string at position 1"},
        {"ab%", false, "Error decoding URL style (%XX) encoded string at position 3"},
        {"%zz", true, "Invalid URL encoded character (%zz) at position 1"},
        {"ok%%x%4g", true, "Invalid URL encoded character (%4g) at position 6"},
        // A zero byte in the escape must not cut the message short.
        {std::string("%\0A", 3), true, "Invalid URL encoded character (%\\x00A) at position 1"},
        {std::string("x%A\0", 4), true, "Invalid URL encoded character (%A\\x00) at position 2"},
    };
    for (const auto& c : cases) {
        try {
            DecodeUrlStyle(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const EConvertError& error) {
            EXPECT_TRUE(c.convert_error) << c.text;
            EXPECT_EQ(error.what(), c.message);
        } catch (const Exception& error) {
            EXPECT_FALSE(c.convert_error) << c.text;
            EXPECT_EQ(error.what(), c.message);
        }
    }
}

}  // namespace
}  // namespace kvt::settings
