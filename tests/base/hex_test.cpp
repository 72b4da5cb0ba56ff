#include "base/hex.h"

#include <gtest/gtest.h>

namespace kvt {
namespace {

TEST(HexByteValue, ReadsTwoDigitsOfEitherCaseAndNothingElse) {
    const struct {
        char high;
        char low;
        int value;
    } cases[] = {
        {'0', '0', 0x00}, {'E', '4', 0xE4}, {'e', '4', 0xE4}, {'f', 'F', 0xFF},
        {'0', 'G', -1},   {'g', '0', -1},   {'%', '4', -1},   {'\xC1', '1', -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HexByteValue(c.high, c.low), c.value) << c.high << c.low;
    }
}

TEST(HexByteValue, WideCharactersBeyondAsciiAreNoDigits) {
    // Their low bytes are the ASCII digits "A" and "1".
    EXPECT_EQ(HexByteValue(u'\u0141', u'1'), -1);
    EXPECT_EQ(HexByteValue(u'A', u'\uFF31'), -1);
    EXPECT_EQ(HexByteValue(u'A', u'1'), 0xA1);
}

}  // namespace
}  // namespace kvt
