#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/string_list.h"

namespace kvt {
namespace {

TEST(StringList, AddsInOrderAndRejectsPositionsOutsideTheList) {
    StringList list;
    EXPECT_EQ(list.Add("a"), 0);
    EXPECT_EQ(list.Add("b"), 1);
    EXPECT_EQ(list.At(1), "b");
    EXPECT_EQ(list.IndexOf("b"), 1);
    EXPECT_EQ(list.IndexOf("c"), -1);
    for (int bad : {-1, 2}) {
        try {
            list.At(bad);
            FAIL() << bad;
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()),
                      "List index out of bounds (" + std::to_string(bad) + ")");
        }
    }
}

TEST(Errors, OleErrorsCarryTheirCodeAndOthersMapToUnexpected) {
    EXPECT_EQ(HResultOf(EOleError(kENoInterface, "x")), kENoInterface);
    EXPECT_EQ(HResultOf(EInvalidCast()), kEUnexpected);
    EXPECT_STREQ(EInvalidCast().what(), "Invalid class typecast");
    EXPECT_THROW(CheckHResult(kEFail, "OpenSQL"), EOleError);
    EXPECT_NO_THROW(CheckHResult(kSFalse, "OpenSQL"));
}

}  // namespace
}  // namespace kvt
