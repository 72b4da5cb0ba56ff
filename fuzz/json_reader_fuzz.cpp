// The JSON reader on any bytes: it never crashes or leaks, and whatever it accepts the
// writer turns into text that reads back to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "json/reader.h"
#include "json/value.h"
#include "json/writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kvt::json::FormatJson;
    using kvt::json::ParseJson;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto root = ParseJson(text);
    if (!root) {
        return 0;
    }
    const auto first = FormatJson(root.get());
    const auto again = ParseJson(first);
    if (!again || FormatJson(again.get()) != first) {
        std::abort();
    }
    return 0;
}
