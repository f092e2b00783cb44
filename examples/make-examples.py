#!/usr/bin/env python3
"""Draws the sample icons of the examples folder: 32 x 32 pictures, as 24-bit
BMP files on white and as PNG files with an alpha channel. Run it from this
folder to make them anew; it needs nothing but Python's standard library."""

import math
import struct
import zlib

SIZE = 32
SAMPLES = 4  # per axis, for smooth edges


def inside_house(x, y):
    roof = y < 14 and abs(x - 16) < (y - 2) * 1.2
    body = 6 <= x <= 26 and 14 <= y <= 28
    door = 14 <= x <= 18 and 20 <= y <= 28
    return (roof or body) and not door


def inside_star(x, y):
    dx, dy = x - 16, y - 17
    r = math.hypot(dx, dy)
    a = math.atan2(dy, dx) + math.pi / 2
    spike = 0.5 + 0.5 * math.cos(5 * a)
    return r < 6 + 8.5 * spike ** 2


def inside_heart(x, y):
    u, v = (x - 16) / 12, (15 - y) / 12
    return (u * u + v * v - 0.5) ** 3 - u * u * v ** 3 * 1.2 < 0


def inside_sun(x, y):
    dx, dy = x - 16, y - 16
    r = math.hypot(dx, dy)
    rays = r < 15 and math.cos(8 * math.atan2(dy, dx)) > 0.7 and r > 10
    return r < 8.5 or rays


def inside_arrow(x, y):
    shaft = 5 <= x <= 19 and 13 <= y <= 19
    head = 17 <= x <= 28 and abs(y - 16) < (28 - x) * 0.9
    return shaft or head


def inside_check(x, y):
    def near(ax, ay, bx, by, width):
        t = max(0, min(1, ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2)))
        return math.hypot(x - ax - t * (bx - ax), y - ay - t * (by - ay)) < width
    return near(5, 17, 13, 25, 3.2) or near(13, 25, 27, 8, 3.2)


ICONS = [
    ("home", inside_house, (52, 101, 164)),
    ("star", inside_star, (237, 180, 0)),
    ("heart", inside_heart, (204, 40, 60)),
    ("sun", inside_sun, (245, 121, 0)),
    ("arrow", inside_arrow, (78, 154, 6)),
    ("check", inside_check, (17, 130, 120)),
]


def coverage(shape):
    """Fraction of each pixel that the shape covers, rows from the top."""
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            hits = sum(shape(x + (i + 0.5) / SAMPLES, y + (j + 0.5) / SAMPLES)
                       for i in range(SAMPLES) for j in range(SAMPLES))
            row.append(hits / SAMPLES ** 2)
        rows.append(row)
    return rows


def write_bmp(path, cover, color):
    stride = (SIZE * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(cover):
        line = bytearray()
        for c in row:
            r, g, b = (round(255 + (k - 255) * c) for k in color)
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def write_png(path, cover, color):
    raw = bytearray()
    for row in cover:
        raw.append(0)
        for c in row:
            raw += bytes((*color, round(255 * c)))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)))
        f.write(png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(png_chunk(b"IEND", b""))


if __name__ == "__main__":
    for index, (name, shape, color) in enumerate(ICONS):
        cover = coverage(shape)
        # Half the icons as BMP on white, half as PNG with transparency.
        if index % 2 == 0:
            write_bmp(name + ".bmp", cover, color)
        else:
            write_png(name + ".png", cover, color)
