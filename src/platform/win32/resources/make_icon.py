#!/usr/bin/env python3
"""Writes the program's icon: a magnifying glass at 16x16 and 32x32 pixels, 24-bit colour.

Usage: make_icon.py OUTPUT.ico

Drawn here rather than kept as a binary file, so the picture can be read and changed as text.
"""
import math
import struct
import sys

BACKGROUND = (240, 240, 240)
RIM = (40, 40, 40)
LENS = (150, 200, 245)
HANDLE = (120, 70, 20)
SAMPLES = 4  # per axis, for smooth edges


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def colour_at(x, y):
    """The colour at a point of the 16-unit design square."""
    if segment_distance(x, y, 10.0, 10.0, 14.5, 14.5) <= 1.3:
        return HANDLE
    distance = math.hypot(x - 6.0, y - 6.0)
    if abs(distance - 4.5) <= 0.8:
        return RIM
    if distance < 4.5:
        return LENS
    return BACKGROUND


def render(size):
    """Rows top to bottom of (r, g, b)."""
    unit = 16.0 / size
    rows = []
    for row in range(size):
        pixels = []
        for column in range(size):
            total = [0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (column + (sx + 0.5) / SAMPLES) * unit
                    y = (row + (sy + 0.5) / SAMPLES) * unit
                    for i, channel in enumerate(colour_at(x, y)):
                        total[i] += channel
            pixels.append(tuple(round(c / (SAMPLES * SAMPLES)) for c in total))
        rows.append(pixels)
    return rows


def icon_image(size):
    """One icon image: header, colour bits bottom-up as BGR, then an all-opaque mask."""
    colour_row_bytes = (size * 3 + 3) // 4 * 4
    mask_row_bytes = ((size + 31) // 32) * 4
    colour = bytearray()
    for pixels in reversed(render(size)):
        row = bytearray()
        for r, g, b in pixels:
            row += bytes((b, g, r))
        row += bytes(colour_row_bytes - len(row))
        colour += row
    mask = bytes(mask_row_bytes * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + mask


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    sizes = (16, 32)
    images = [icon_image(size) for size in sizes]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, image in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
    with open(sys.argv[1], "wb") as output:
        output.write(directory)
        for image in images:
            output.write(image)


if __name__ == "__main__":
    main()
