#include "hosts/demo/index_chart.h"

#include <algorithm>
#include <cstdlib>

#include "base/format.h"

namespace kvt::demo {

namespace {

// The drawing's own units; the page scales it to the width it has.
constexpr int kWidth = 360;
constexpr int kHeight = 270;
constexpr int kLeft = 62;
constexpr int kRight = 302;
constexpr int kTop = 10;
constexpr int kBottom = 242;

class Scale {
  public:
    Scale(std::int64_t middle, std::int64_t half_span) : middle_(middle), half_span_(half_span) {}

    int X(std::size_t point) const {
        return kLeft + static_cast<int>(point) * (kRight - kLeft) /
                           static_cast<int>(kSampleIndexPoints - 1);
    }

    // Values within the span only: the span is made from the values it draws.
    int Y(std::int64_t value) const {
        const std::int64_t from_top = middle_ + half_span_ - value;
        return kTop +
               static_cast<int>((from_top * (kBottom - kTop) + half_span_) / (2 * half_span_));
    }

  private:
    std::int64_t middle_;
    std::int64_t half_span_;
};

std::string Text(int x, int y, const char* anchor, const char* css_class, const std::string& text) {
    return Format("<text x=\"%d\" y=\"%d\" text-anchor=\"%s\" class=\"%s\">%s</text>", x, y, anchor,
                  css_class, text.c_str());
}

// The value and the move at a level of the scale, on either side of the plot.
std::string LevelLabels(const Scale& scale, std::int64_t value, std::int64_t previous_close) {
    const std::int64_t change = value - previous_close;
    const int y = scale.Y(value) + 5;
    return Text(kLeft - 6, y, "end", MoveClass(change), FormatHundredths(value)) +
           Text(kRight + 6, y, "start", MoveClass(change),
                FormatHundredths(RatioBasisPoints(change, previous_close), true) + "%");
}

}  // namespace

const char* MoveClass(std::int64_t change) {
    return change > 0 ? "up" : (change < 0 ? "down" : "flat");
}

std::string RenderIndexChart(const SampleSector& sector) {
    const std::vector<std::int64_t>& values = sector.index_by_time;
    const std::int64_t previous_close = sector.index_previous_close;
    std::int64_t half_span = 1;
    for (const std::int64_t value : values) {
        half_span = std::max<std::int64_t>(half_span, std::llabs(value - previous_close));
    }
    const Scale scale(previous_close, half_span);

    std::string svg = Format(
        "<svg class=\"chart\" viewBox=\"0 0 %d %d\" role=\"img\" aria-label=\"板块指数分时\">",
        kWidth, kHeight);
    svg += "<g class=\"grid\">";
    for (const int quarter : {0, 1, 3, 4}) {
        const int y = kTop + quarter * (kBottom - kTop) / 4;
        svg += Format("<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\"/>", kLeft, y, kRight, y);
    }
    for (const std::size_t point : {std::size_t{0}, std::size_t{12}, std::size_t{24},
                                    std::size_t{36}, kSampleIndexPoints - 1}) {
        svg += Format("<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\"/>", scale.X(point), kTop,
                      scale.X(point), kBottom);
    }
    svg += Format("</g><line class=\"base\" x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\"/>", kLeft,
                  scale.Y(previous_close), kRight, scale.Y(previous_close));

    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        line += Format("%s%d,%d", i == 0 ? "" : " ", scale.X(i), scale.Y(values[i]));
    }
    const char* const direction = MoveClass(sector.IndexChange());
    if (!values.empty()) {
        svg += Format("<polygon class=\"area %s\" points=\"%d,%d %s %d,%d\"/>", direction,
                      scale.X(0), kBottom, line.c_str(), scale.X(values.size() - 1), kBottom);
    }
    svg += Format("<polyline class=\"line %s\" points=\"%s\"/>", direction, line.c_str());

    svg += LevelLabels(scale, previous_close + half_span, previous_close);
    svg += LevelLabels(scale, previous_close, previous_close);
    svg += LevelLabels(scale, previous_close - half_span, previous_close);
    svg += Text(scale.X(0), kHeight - 6, "start", "time", "09:30");
    svg += Text(scale.X(24), kHeight - 6, "middle", "time", "11:30/13:00");
    svg += Text(scale.X(kSampleIndexPoints - 1), kHeight - 6, "end", "time", "15:00");
    svg += "</svg>";
    return svg;
}

}  // namespace kvt::demo
