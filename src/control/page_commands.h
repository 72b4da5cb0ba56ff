#pragma once
// The table of in-page command words.

#include <cstdint>
#include <string_view>

namespace kvt::control {

enum class PageCommand {
    None,      // the URL carries no command: an ordinary navigation
    Key,       // hand a key code to the host
    SelectID,  // select a sector and a list position, then request the content again
    CallUds,   // open the host's range module
    CallUdr,   // swallowed
    Refresh,   // request the content again
    Unknown,   // an unlisted word: the navigation goes ahead untouched
};

// The command for a word, compared without regard to ASCII case; None for an empty word.
PageCommand ClassifyCommand(std::string_view word);

// Whether the navigation that carries the command is cancelled.
bool CancelsNavigation(PageCommand command);

// The key code a "key" command's parameter names: decimal, 0 when it is not a number.
std::int32_t KeyCodeOf(std::string_view parameter);

// What "calluds" opens in the host.
inline constexpr std::u16string_view kRangeModuleProgID = u"Vostral.VostralImpl";
inline constexpr std::u16string_view kRangeModuleParameter = u"MT=RANGE";

}  // namespace kvt::control
