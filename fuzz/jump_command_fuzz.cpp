// Page command URLs on any bytes: parsing never crashes and its fields never hold a
// separator outside quotes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "control/jump_command.h"

namespace {

// True when `segment` holds "/" outside a quoted run.
bool HasBareSlash(std::string_view segment) {
    char quote = 0;
    for (const char c : segment) {
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '/') {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto command = kvt::control::ParseJumpCommand(text);
    for (const auto* field : {&command.Command, &command.Param1, &command.Param2}) {
        if (HasBareSlash(*field)) {
            std::abort();
        }
    }
    return 0;
}
