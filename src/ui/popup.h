#pragma once
// The popup window's behaviour that does not depend on the platform: its caption and its
// browser event rules. Failures inside these rules leave the popup unchanged.

#include <string_view>

#include "base/text.h"
#include "ui/popup_port.h"

namespace kvt::ui {

inline constexpr int kPopupWidth = 870;
inline constexpr int kPopupHeight = 500;

// The caption before the first document completes, in the system code page.
AnsiString PopupInitialCaption();

// The caption for a document title given in the system code page: the initial caption
// followed by the title in square brackets.
AnsiString PopupCaption(std::string_view title);

// A document completed (any frame): the caption follows the top document's title.
void PopupDocumentComplete(PopupView& view) noexcept;

// A navigation completed: the page takes the focus.
void PopupNavigateComplete(PopupView& view) noexcept;

}  // namespace kvt::ui
