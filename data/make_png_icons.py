#!/usr/bin/env python3
"""Writes the program's icon as PNG files for the desktop's icon theme, one per size.

Usage: make_png_icons.py OUTPUT_DIR NAME SIZE...
Writes OUTPUT_DIR/SIZExSIZE/NAME.png.

The picture is the Windows icon's own drawing (make_icon.py), so both builds show the same glass;
here the background is left transparent, as icons in a desktop's menus are.
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "platform", "win32", "resources"))
import make_icon  # noqa: E402


def render_rgba(size):
    """Rows top to bottom of RGBA bytes; coverage of the glass becomes opacity."""
    samples = make_icon.SAMPLES
    unit = 16.0 / size
    rows = []
    for row in range(size):
        line = bytearray()
        for column in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    colour = make_icon.colour_at((column + (sx + 0.5) / samples) * unit,
                                                 (row + (sy + 0.5) / samples) * unit)
                    if colour is make_icon.BACKGROUND:
                        continue
                    covered += 1
                    for i, channel in enumerate(colour):
                        total[i] += channel
            if covered:
                line += bytes(round(c / covered) for c in total)
            else:
                line += bytes(3)
            line.append(round(255 * covered / (samples * samples)))
        rows.append(bytes(line))
    return rows


def png(size, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    pixels = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9))
            + chunk(b"IEND", b""))


def main():
    if len(sys.argv) < 4:
        sys.exit("usage: make_png_icons.py OUTPUT_DIR NAME SIZE...")
    output, name = sys.argv[1], sys.argv[2]
    for size in map(int, sys.argv[3:]):
        folder = os.path.join(output, f"{size}x{size}")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name + ".png"), "wb") as file:
            file.write(png(size, render_rgba(size)))


if __name__ == "__main__":
    main()
