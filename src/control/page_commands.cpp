#include "control/page_commands.h"

#include <array>
#include <utility>

#include "base/number_text.h"
#include "base/text.h"

namespace kvt::control {

PageCommand ClassifyCommand(std::string_view word) {
    static constexpr std::array<std::pair<std::string_view, PageCommand>, 5> kWords = {{
        {"key", PageCommand::Key},
        {"SelectID", PageCommand::SelectID},
        {"calluds", PageCommand::CallUds},
        {"calludr", PageCommand::CallUdr},
        {"refresh", PageCommand::Refresh},
    }};
    if (word.empty()) {
        return PageCommand::None;
    }
    for (const auto& [text, command] : kWords) {
        if (SameTextAscii(word, text)) {
            return command;
        }
    }
    return PageCommand::Unknown;
}

bool CancelsNavigation(PageCommand command) {
    return command != PageCommand::None && command != PageCommand::Unknown;
}

std::int32_t KeyCodeOf(std::string_view parameter) {
    std::int32_t key = 0;
    return TryParseInt32(parameter, key) ? key : 0;
}

}  // namespace kvt::control
