#pragma once
// A shaped window's outline: the pixels of its picture that differ from the transparent
// colour, collected row by row as runs, each run one rectangle.

#include <cstdint>
#include <vector>

namespace kvt::ui {

// Pixels row by row from the top, each 0x??RRGGBB; the top byte is ignored.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const;
};

// Right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Rect&) const = default;
};

// The picture's transparent colour: its bottom-left pixel, red, green and blue only.
// Raises Exception for an empty picture.
std::uint32_t TransparentColour(const Bitmap& picture);

// One rectangle per run of pixels, in each row from the top, whose red, green and blue
// differ from `transparent`. Raises Exception when the pixels do not fill the size.
std::vector<Rect> RegionRects(const Bitmap& picture, std::uint32_t transparent);

}  // namespace kvt::ui
