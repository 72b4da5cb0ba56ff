#include "ui/popup.h"

namespace kvt::ui {

AnsiString PopupInitialCaption() {
    return AnsiFromUtf8("资讯浏览");
}

AnsiString PopupCaption(std::string_view title) {
    AnsiString caption = PopupInitialCaption();
    caption += '[';
    caption += title;
    caption += ']';
    return caption;
}

void PopupDocumentComplete(PopupView& view) noexcept {
    try {
        if (const auto title = view.TopDocumentTitle()) {
            view.SetCaption(PopupCaption(WideToAnsi(*title)));
        }
    } catch (...) {
        // A document that cannot tell its title keeps the caption as it is.
    }
}

void PopupNavigateComplete(PopupView& view) noexcept {
    try {
        view.ActivateDocument();
    } catch (...) {
        // Focusing is best effort; the page stays usable without it.
    }
}

}  // namespace kvt::ui
