#include <gtest/gtest.h>

#include <string>

#include "control/jump_command.h"
#include "control/page_commands.h"

namespace kvt::control {
namespace {

TEST(ParseJumpCommand, SplitsSegmentsByTheGrammar) {
    const struct {
        std::string url;
        const char* command;
        const char* param1;
        const char* param2;
    } cases[] = {
        {"zq://SelectID/101/1", "SelectID", "101", "1"},
        {"http://x/page?go=zq://refresh", "refresh", "", ""},  // the prefix may stand anywhere
        {"ZQ://refresh", "", "", ""},                          // the prefix is case-sensitive
        {"zq://", "", "", ""},
        {"zq:////", "", "", ""},
        {"zq://a//b", "a", "b", ""},  // empty segments are dropped
        {"zq://a/b/c/d/e", "a", "b", "c"},
        {"zq://\r\nkey\r\n13", "key", "13", ""},  // line breaks separate and are skipped
        {"zq://a\rb\nc", "a", "b", "c"},
        {"zq://key/'1/2'/x", "key", "'1/2'", "x"},          // quotes keep "/" and stay in the text
        {"zq://key/\"a'b/c\"/x", "key", "\"a'b/c\"", "x"},  // only the same quote closes
        {"zq://key/'open/rest", "key", "'open/rest", ""},   // an open quote runs to the end
        {std::string("zq://key/1\0/2", 13), "key", "1", ""},      // a zero byte ends the text
        {std::string("a\0zq://refresh", 14), "refresh", "", ""},  // the search passes zero bytes
        {"x zq://one zq://two", "one zq:", "two", ""},            // the first prefix counts
    };
    for (const auto& c : cases) {
        const TJumpCommand parsed = ParseJumpCommand(c.url);
        EXPECT_EQ(parsed.Command, c.command) << c.url;
        EXPECT_EQ(parsed.Param1, c.param1) << c.url;
        EXPECT_EQ(parsed.Param2, c.param2) << c.url;
    }
}

TEST(PageCommands, WordsCompareWithoutAsciiCaseAndOnlyListedWordsCancel) {
    const struct {
        const char* word;
        PageCommand command;
        bool cancels;
    } cases[] = {
        {"", PageCommand::None, false},
        {"key", PageCommand::Key, true},
        {"KEY", PageCommand::Key, true},
        {"selectid", PageCommand::SelectID, true},
        {"calluds", PageCommand::CallUds, true},
        {"CallUdr", PageCommand::CallUdr, true},
        {"REFRESH", PageCommand::Refresh, true},
        {"other", PageCommand::Unknown, false},
        {"refresh2", PageCommand::Unknown, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyCommand(c.word), c.command) << c.word;
        EXPECT_EQ(CancelsNavigation(c.command), c.cancels) << c.word;
    }
}

TEST(PageCommands, KeyCodeIsDecimalOrZero) {
    EXPECT_EQ(KeyCodeOf("13"), 13);
    EXPECT_EQ(KeyCodeOf("-5"), -5);
    EXPECT_EQ(KeyCodeOf("x"), 0);
    EXPECT_EQ(KeyCodeOf(""), 0);
    EXPECT_EQ(KeyCodeOf("99999999999"), 0);
}

}  // namespace
}  // namespace kvt::control
