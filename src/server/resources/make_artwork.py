#!/usr/bin/env python3
"""Draws the DLL's pictures: the toolbox bitmap, the progress window's bitmap and the
popup's document-page icon. Usage: make_artwork.py OUTPUT_DIR"""

import os
import struct
import sys

WHITE = (255, 255, 255)


def bmp_file(width, height, bits, palette, rows):
    """A bottom-up BITMAPINFOHEADER file; rows are lists of palette indices, top first."""
    stride = ((width * bits + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        packed = bytearray()
        if bits == 8:
            packed.extend(row)
        else:  # 4 bits
            for i in range(0, width, 2):
                high = row[i]
                low = row[i + 1] if i + 1 < width else 0
                packed.append((high << 4) | low)
        packed.extend(b"\0" * (stride - len(packed)))
        data.extend(packed)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 2835, 2835,
                         len(palette), 0)
    offset = 14 + len(header) + len(colours)
    return struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset) + header + colours + data


def indexed(pixels):
    palette = []
    index = {}
    rows = []
    for row in pixels:
        out = []
        for colour in row:
            if colour not in index:
                index[colour] = len(palette)
                palette.append(colour)
            out.append(index[colour])
        rows.append(out)
    return palette, rows


def canvas(width, height, colour):
    return [[colour] * width for _ in range(height)]


def fill(pixels, left, top, right, bottom, colour):
    for y in range(max(top, 0), min(bottom, len(pixels))):
        for x in range(max(left, 0), min(right, len(pixels[0]))):
            pixels[y][x] = colour


def inside_rounded(x, y, width, height, radius):
    cx = min(max(x, radius), width - 1 - radius)
    cy = min(max(y, radius), height - 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


# Toolbox bitmap: 16 x 15, the standard 16-colour palette; a small browser window.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
TOOLBOX = [
    "7777777777777777",
    "7000000000000007",
    "7044444444444407",
    "7044444444F4F407",
    "7000000000000007",
    "70FFFFFFFFFFFF07",
    "70F9999FFFFFFF07",
    "70FFFFFFF3333F07",
    "70F888888FFFFF07",
    "70FFFFFFF3333F07",
    "70F888888FFFFF07",
    "70FFFFFFFFFFFF07",
    "70F8888888888F07",
    "7000000000000007",
    "7777777777777777",
]


def toolbox_bitmap():
    rows = [[int(c, 16) for c in line] for line in TOOLBOX]
    return bmp_file(16, 15, 4, VGA, rows)


# Progress window bitmap: 214 x 123, 256 colours; white is its transparent colour.
GLYPHS = {
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "o": ["00000", "00000", "01110", "10001", "10001", "10001", "01110"],
    "a": ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    "d": ["00001", "00001", "01101", "10011", "10001", "10011", "01101"],
    "i": ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
    "n": ["00000", "00000", "10110", "11001", "10001", "10001", "10001"],
    "g": ["00000", "01111", "10001", "10001", "01111", "00001", "01110"],
}


def text(pixels, left, top, word, scale, colour):
    x = left
    for letter in word:
        for gy, line in enumerate(GLYPHS[letter]):
            for gx, bit in enumerate(line):
                if bit == "1":
                    fill(pixels, x + gx * scale, top + gy * scale, x + (gx + 1) * scale,
                         top + (gy + 1) * scale, colour)
        x += 6 * scale


def progress_bitmap():
    width, height = 214, 123
    panel, edge, strip = (212, 212, 212), (120, 120, 120), (44, 52, 70)
    pixels = canvas(width, height, WHITE)
    for y in range(height):
        for x in range(width):
            if inside_rounded(x, y, width, height, 10):
                border = not inside_rounded(x, y, width, height, 10) or not (
                    inside_rounded(x - 1, y, width, height, 10)
                    and inside_rounded(x + 1, y, width, height, 10)
                    and inside_rounded(x, y - 1, width, height, 10)
                    and inside_rounded(x, y + 1, width, height, 10))
                pixels[y][x] = edge if border else panel
    fill(pixels, 5, 5, width - 5, 32, strip)
    text(pixels, 64, 9, "Loading", 3, WHITE)
    # The logo: an orange disc with a light ring, left of the word.
    for y in range(7, 31):
        for x in range(16, 40):
            d = (x - 27.5) ** 2 + (y - 18.5) ** 2
            if d <= 121:
                pixels[y][x] = (255, 128, 64) if d <= 64 else (250, 210, 180)
    # The recessed slot under the bar (bar: left 20, top 82, 174 x 16).
    fill(pixels, 16, 78, 198, 102, (255, 170, 120))
    fill(pixels, 16, 78, 197, 101, (150, 70, 20))
    fill(pixels, 17, 79, 197, 101, (230, 110, 40))
    palette, rows = indexed(pixels)
    assert len(palette) <= 256 and pixels[height - 1][0] == WHITE
    return bmp_file(width, height, 8, palette, rows)


# Popup icon: a document page with a folded corner, six 32-bit images.
def page_image(size):
    s = size / 32.0
    rgba = [[(0, 0, 0, 0)] * size for _ in range(size)]
    left, right, top, bottom, fold = round(6 * s), round(26 * s), round(2 * s), round(30 * s), round(7 * s)
    for y in range(top, bottom):
        for x in range(left, right):
            if x - (right - fold) > y - top:
                continue  # cut off by the fold
            on_edge = x in (left, right - 1) or y in (top, bottom - 1) or x - (right - fold) == y - top
            rgba[y][x] = (90, 90, 90, 255) if on_edge else (255, 255, 255, 255)
    for y in range(top, top + fold):
        for x in range(right - fold, right):
            if x - (right - fold) <= y - top:
                rgba[y][x] = (200, 200, 200, 255)
    line = max(1, round(s))
    for n, (l, r) in enumerate([(9, 23), (9, 23), (9, 20), (9, 23), (9, 17)]):
        y = round((12 + n * 3.5) * s)
        colour = (255, 128, 64, 255) if n == 0 else (120, 140, 170, 255)
        for yy in range(y, y + line):
            for x in range(round(l * s), round(r * s)):
                rgba[yy][x] = colour
    return rgba


def icon_file(sizes):
    images = []
    for size in sizes:
        rgba = page_image(size)
        xor = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(rgba) for (r, g, b, a) in row)
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rgba):
            bits = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask.extend(bits)
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((size, header + xor + bytes(mask)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out.extend(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset))
        offset += len(data)
    for _, data in images:
        out.extend(data)
    return bytes(out)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data in (("toolbox.bmp", toolbox_bitmap()), ("progress.bmp", progress_bitmap()),
                       ("popup.ico", icon_file([24, 32, 48, 72, 96, 128]))):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
