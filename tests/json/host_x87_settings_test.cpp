#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/x87_control_word.h"
#include "json/reader.h"
#include "json/value.h"
#include "json/writer.h"

namespace kvt::json {
namespace {

#if KVT_TEST_X87_LONG_DOUBLE

// What the codec made of one numeral: the value read and the text written back.
struct Outcome {
    NumberType value = 0;
    std::string written;
};

Outcome ReadAndWrite(const std::string& numeral) {
    const auto root = ParseJson("[" + numeral + "]");
    if (!root || root->ItemCount() != 1) {
        return {0, "none"};
    }
    return {static_cast<TqxJSONnumber*>(root->ItemAt(0))->NumberValue, FormatJson(root.get())};
}

bool SameBits(NumberType a, NumberType b) {
    return std::memcmp(&a, &b, 10) == 0;  // the 80 bits of the x87 extended type
}

TEST(JsonCodec, ReadsAndWritesNumbersAlikeWhateverTheHostsX87Settings) {
    const char* const numerals[] = {
        // Exact ties at the 15th digit, and values just beside them.
        "100000000000000.5",
        "-100000000000000.5",
        "1234567890123.125",
        "123456789012344500",
        "0.3000000000000005",
        "0.1234567890123455",
        // One exact scaling: short numerals, up to 19 digits, small exponents.
        "0.1",
        "-2.5",
        "1.0000000000000002",
        "9007199254740993",
        "9999999999999999999",
        "1234567890.123456789",
        "3.333333333333333333e-20",
        "123456789e27",
        "1.7976931348623157e308",
        // The C library's conversions: long numerals, large and small magnitudes.
        "0.33333333333333333333333",
        "1.18973149535723176502e4932",
        "1e4932",
        "1.5e-4940",
        "3.3e-4932",
        "4e-4951",
        "2e-4951",
        "1e-4951",
        "1e4933",
    };
    for (const auto& host : test::kHostControlWords) {
        for (const char* numeral : numerals) {
            const Outcome expected = ReadAndWrite(numeral);
            Outcome outcome;
            const std::uint16_t after =
                test::RunWithX87ControlWord(host.word, [&] { outcome = ReadAndWrite(numeral); });
            EXPECT_TRUE(SameBits(outcome.value, expected.value))
                << numeral << " read with " << host.what;
            EXPECT_EQ(outcome.written, expected.written) << numeral << " with " << host.what;
            EXPECT_EQ(after, host.word) << host.what;
        }
    }
}

#else

TEST(JsonCodec, ReadsAndWritesNumbersAlikeWhateverTheHostsX87Settings) {
    GTEST_SKIP() << "long double is not the x87 extended type here";
}

#endif

}  // namespace
}  // namespace kvt::json
