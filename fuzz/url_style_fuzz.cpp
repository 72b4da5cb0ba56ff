// The URL-style codec on any bytes: decoding raises only its own conversion errors, and
// encoding reads back to the text up to its first zero byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/errors.h"
#include "settings/url_style.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kvt::settings;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        (void)DecodeUrlStyle(text);
    } catch (const kvt::Exception&) {
        // the two documented decoding errors
    }
    const std::string_view until_zero = text.substr(0, text.find('\0'));
    const auto encoded = EncodeUrlStyle(text);
    if (DecodeUrlStyle(encoded) != until_zero) {
        std::abort();
    }
    return 0;
}
