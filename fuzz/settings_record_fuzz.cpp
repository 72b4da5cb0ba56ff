// The settings read path on any stored text: the record reads it or raises one of its own
// errors, and what it then writes reads back to the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/errors.h"
#include "settings/kvtavrix_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kvt::settings::TKvTavrixConfig;
    const std::string_view stored(reinterpret_cast<const char*>(data), size);
    TKvTavrixConfig record;
    try {
        record.FromJson(stored);
    } catch (const kvt::Exception&) {
        return 0;  // text the record refuses, with its message
    }
    const auto written = record.ToJson();
    TKvTavrixConfig reread;
    reread.FromJson(written);
    if (reread.ToJson() != written) {
        std::abort();
    }
    return 0;
}
