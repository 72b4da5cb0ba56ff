#include "ui/window_region.h"

#include "base/errors.h"

namespace kvt::ui {

namespace {

constexpr std::uint32_t kRgbMask = 0x00FFFFFFu;

void CheckSize(const Bitmap& picture) {
    if (picture.width < 0 || picture.height < 0 ||
        picture.pixels.size() !=
            static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
        throw Exception("The picture's pixels do not match its size");
    }
}

}  // namespace

std::uint32_t Bitmap::At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
}

std::uint32_t TransparentColour(const Bitmap& picture) {
    CheckSize(picture);
    if (picture.width == 0 || picture.height == 0) {
        throw Exception("An empty picture has no transparent colour");
    }
    return picture.At(0, picture.height - 1) & kRgbMask;
}

std::vector<Rect> RegionRects(const Bitmap& picture, std::uint32_t transparent) {
    CheckSize(picture);
    transparent &= kRgbMask;
    std::vector<Rect> rects;
    for (int y = 0; y < picture.height; ++y) {
        int x = 0;
        while (x < picture.width) {
            while (x < picture.width && (picture.At(x, y) & kRgbMask) == transparent) {
                ++x;
            }
            const int run_start = x;
            while (x < picture.width && (picture.At(x, y) & kRgbMask) != transparent) {
                ++x;
            }
            if (x > run_start) {
                rects.push_back({run_start, y, x, y + 1});
            }
        }
    }
    return rects;
}

}  // namespace kvt::ui
