// The rid{ID} matcher against the standard regex engine on short texts built from the
// characters that matter, and alone on long ones.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

#include "control/range_ref.h"

namespace {

// Each input byte picks one character; most picks favour the pattern's own characters.
std::u16string TextOf(const std::uint8_t* data, std::size_t size) {
    static constexpr char16_t kAlphabet[] = u"rid{}\nab{}rid\r\u00e9\u677f";
    std::u16string text;
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(kAlphabet[data[i] % (sizeof kAlphabet / sizeof kAlphabet[0] - 1)]);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = TextOf(data, size);
    const auto found = kvt::control::FindRangeRef(text);
    (void)kvt::control::ReplaceRangeRefs(text, u"0X1");
    if (size > 200) {
        return 0;  // the backtracking reference is only fast enough on short texts
    }
    static const std::wregex reference(L"rid\\{([^\\n]*?)\\}");
    const std::wstring wide(text.begin(), text.end());
    std::wsmatch match;
    const bool expected = std::regex_search(wide, match, reference);
    if (expected != found.has_value()) {
        std::abort();
    }
    if (found && (found->begin != static_cast<std::size_t>(match.position(0)) ||
                  found->end - found->begin != static_cast<std::size_t>(match.length(0)))) {
        std::abort();
    }
    return 0;
}
