#include "base/extended_precision_scope.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "base/x87_control_word.h"

namespace kvt {
namespace {

using test::kHostControlWords;
using test::RunWithX87ControlWord;

#if KVT_TEST_X87_LONG_DOUBLE

TEST(ExtendedPrecisionScope, SetsFullPrecisionToNearestAndPutsTheCallersWordBack) {
    constexpr std::uint16_t kUnmaskedExceptionsAndInfinityBit = 0x1372;  // bit 6 always reads as 1
    std::vector<test::HostControlWord> words(std::begin(kHostControlWords),
                                             std::end(kHostControlWords));
    words.push_back({kUnmaskedExceptionsAndInfinityBit, "exceptions unmasked"});
    words.push_back({0x037F, "already full precision"});
    for (const auto& host : words) {
        std::uint16_t inside = 0;
        std::uint16_t nested = 0;
        const std::uint16_t after = RunWithX87ControlWord(host.word, [&] {
            const ExtendedPrecisionScope scope;
            inside = test::ReadX87ControlWord();
            { const ExtendedPrecisionScope inner; }
            nested = test::ReadX87ControlWord();
        });
        const std::uint16_t after_throw = RunWithX87ControlWord(host.word, [] {
            try {
                const ExtendedPrecisionScope scope;
                throw 1;
            } catch (int) {
            }
        });
        // Only the precision (bits 8-9) and rounding (bits 10-11) fields change.
        EXPECT_EQ(inside, (host.word & ~0x0F00) | 0x0300) << host.what;
        EXPECT_EQ(nested, inside) << host.what;
        EXPECT_EQ(after, host.word) << host.what;
        EXPECT_EQ(after_throw, host.word) << host.what;
    }
}

TEST(FormatFloatGeneral, GivesTheSameTextWhateverTheHostsX87Settings) {
    const long double values[] = {
        0.1L,
        1.0L / 3,
        -2.5L,
        123456789012345.0L,
        1234567890123456.0L,
        100000000000000.5L,  // exact ties at the 15th digit
        1234567890123.125L,
        1234567890123445.0L,
        123456789012344500.0L,
        0x1p-22L,
        999999999999999.5L,
        100000000000000.5L + 0x1p-10L,  // near ties
        100000000000000.5L - 0x1p-10L,
        0.1234567890123455L,
        9007199254740993.0L,  // not a double
        1.23456789012345678e-5L,
        2e900L,  // beyond the range of double
        -1.25e4000L,
        std::numeric_limits<long double>::max(),
        1e-4000L,
        std::numeric_limits<long double>::min(),
        1.23456789012345678e-320L,
        std::numeric_limits<long double>::denorm_min(),
    };
    for (const auto& host : kHostControlWords) {
        for (const long double value : values) {
            const std::string expected = FormatFloatGeneral(value);
            std::string text;
            const std::uint16_t after =
                RunWithX87ControlWord(host.word, [&] { text = FormatFloatGeneral(value); });
            EXPECT_EQ(text, expected) << host.what;
            EXPECT_EQ(after, host.word) << host.what;
        }
    }
}

#else

TEST(ExtendedPrecisionScope, DoesNothingWhereLongDoubleIsNotTheX87Type) {
    GTEST_SKIP() << "long double is not the x87 extended type here";
}

#endif

}  // namespace
}  // namespace kvt
