#include "ui/progress_bar.h"

#include <algorithm>

#include "base/format.h"

namespace kvt::ui {

int BarInnerWidth(int bar_width, int border_width) {
    return std::max(0, bar_width - 2 * border_width);
}

int BarFillWidth(int percent, int inner_width) {
    if (percent >= 100) {
        return inner_width;
    }
    if (percent <= 0 || inner_width <= 0) {
        return 0;
    }
    const std::int64_t scaled = std::int64_t{percent} * inner_width;
    std::int64_t whole = scaled / 100;
    const std::int64_t rest = scaled % 100;
    if (rest > 50 || (rest == 50 && whole % 2 != 0)) {
        ++whole;
    }
    return static_cast<int>(whole);
}

AnsiString PercentText(int percent) {
    return Format("%u%%", static_cast<unsigned>(std::max(percent, 0)));
}

Point CenteredOrigin(int parent_width, int parent_height, int own_width, int own_height) {
    return {(parent_width - own_width) / 2, (parent_height - own_height) / 2};
}

}  // namespace kvt::ui
