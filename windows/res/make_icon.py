#!/usr/bin/env python3
"""Draws the application icon (a chip with pins and a Z) and writes zq61cfg.ico.

Three images, 16x16, 32x32 and 48x48, each 8 bits per pixel with a 256-entry palette and a
transparency mask. Only the standard library is used, so the icon can be redrawn anywhere:
    python3 windows/res/make_icon.py windows/res/zq61cfg.ico
"""
import struct
import sys

TRANSPARENT = 0
# Palette indices 1.. hold the colours used; the rest of the 256 entries stay black.
COLOURS = {
    "body": (0x1F, 0x3A, 0x68),
    "edge": (0x0E, 0x1C, 0x36),
    "pin": (0xC0, 0xC4, 0xCC),
    "mark": (0xF2, 0xB1, 0x34),
    "letter": (0xFF, 0xFF, 0xFF),
}
INDEX = {name: i + 1 for i, name in enumerate(COLOURS)}


def draw(size):
    """Returns size rows of size palette indices, top row first."""
    pixels = [[TRANSPARENT] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(size, y1)):
            for x in range(max(0, x0), min(size, x1)):
                pixels[y][x] = INDEX[colour]

    unit = size / 16.0
    left, right = round(3 * unit), round(13 * unit)
    top, bottom = round(1 * unit), round(15 * unit)
    # Pins first, so the body covers their inner ends.
    pins = 3 if size <= 16 else 4
    pin_height = max(1, round(1.2 * unit))
    for i in range(pins):
        centre = top + (bottom - top) * (2 * i + 1) / (2 * pins)
        y0 = round(centre - pin_height / 2)
        fill(0, y0, left + 1, y0 + pin_height, "pin")
        fill(right - 1, y0, size, y0 + pin_height, "pin")
    fill(left, top, right, bottom, "edge")
    border = max(1, round(unit / 2))
    fill(left + border, top + border, right - border, bottom - border, "body")
    # Pin-1 mark in the top-left corner of the body.
    mark = max(1, round(1.5 * unit))
    fill(left + 2 * border, top + 2 * border, left + 2 * border + mark, top + 2 * border + mark,
         "mark")
    # A "Z" across the body.
    stroke = max(1, round(1.2 * unit))
    zl, zr = round(5 * unit), round(11 * unit)
    zt, zb = round(5 * unit), round(12 * unit)
    fill(zl, zt, zr, zt + stroke, "letter")
    fill(zl, zb - stroke, zr, zb, "letter")
    steps = zb - zt - 2 * stroke
    for k in range(steps + 1):
        y = zt + stroke + k
        x = round(zr - stroke - (zr - zl - stroke) * k / max(1, steps))
        fill(x, y, x + stroke, y + 1, "letter")
    return pixels


def image_bytes(size):
    pixels = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = bytearray(256 * 4)
    for name, (r, g, b) in COLOURS.items():
        palette[INDEX[name] * 4:INDEX[name] * 4 + 4] = bytes((b, g, r, 0))
    row_bytes = (size + 3) // 4 * 4
    mask_row_bytes = (size + 31) // 32 * 4
    colour_rows = bytearray()
    mask_rows = bytearray()
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        colour_rows += bytes(row) + bytes(row_bytes - size)
        mask = bytearray(mask_row_bytes)
        for x, index in enumerate(row):
            if index == TRANSPARENT:
                mask[x // 8] |= 0x80 >> (x % 8)
        mask_rows += mask
    return header + bytes(palette) + bytes(colour_rows) + bytes(mask_rows)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "zq61cfg.ico"
    sizes = (16, 32, 48)
    images = [image_bytes(s) for s in sizes]
    data = bytearray(struct.pack("<HHH", 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        # Width and height 0 would mean 256; a colour count of 0 means 256 colours.
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
