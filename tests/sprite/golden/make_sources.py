#!/usr/bin/env python3
"""Writes the small source images of the golden sheet test into this folder.

Each source has transparency of a different kind; the golden sheets made
from them pin the white-background sheet byte for byte. Run once; the files
it writes are committed and must not change.
"""
import struct
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, depth, color_type, rows, extra=()):
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0, 0)
    parts = [b"\x89PNG\r\n\x1a\n", chunk(b"IHDR", header)]
    parts += [chunk(kind, data) for kind, data in extra]
    parts += [chunk(b"IDAT", zlib.compress(raw, 9)), chunk(b"IEND", b"")]
    return b"".join(parts)


def rgba_source():
    # A red-to-blue ramp whose alpha runs 0 .. 255 across, with an opaque row.
    rows = []
    for y in range(7):
        row = []
        for x in range(9):
            alpha = 255 if y == 3 else x * 255 // 8
            row += [200 - 20 * x, 30 * y, 25 * x, alpha]
        rows.append(row)
    return png(9, 7, 8, 6, rows)


def rgba16_source():
    rows = []
    for y in range(5):
        row = []
        for x in range(6):
            for v in (10000 * x + 300, 12000 * y + 77, 65535 - 9000 * x, 13107 * (x % 6)):
                row += [v >> 8, v & 0xFF]
        rows.append(row)
    return png(6, 5, 16, 6, rows)


def grey_alpha_source():
    rows = [[v for x in range(8) for v in (x * 32, 255 - y * 40 if x % 2 else 128)] for y in range(6)]
    return png(8, 6, 8, 4, rows)


def palette_trns_source():
    palette = bytes([0, 0, 0, 255, 0, 0, 0, 200, 0, 10, 20, 250, 255, 255, 0])
    trns = bytes([0, 128, 255, 60])  # the fifth entry has no alpha: opaque
    rows = [[(x + y) % 5 for x in range(7)] for y in range(7)]
    return png(7, 7, 8, 3, rows, [(b"PLTE", palette), (b"tRNS", trns)])


def rgb_key_source():
    # Colour type 2 with a tRNS key: green pixels are transparent.
    rows = [[c for x in range(6) for c in ((0, 255, 0) if (x + y) % 3 == 0 else (90, 10 * x, 30 * y))]
            for y in range(6)]
    return png(6, 6, 8, 2, rows, [(b"tRNS", bytes([0, 0, 0, 255, 0, 0]))])


def lzw_literal_codes(indices, min_code_size):
    """LZW data that sends every index as a literal and clears the table
    before the code width would grow, so every code has one width."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    width = min_code_size + 1
    room = (1 << width) - (end + 1)
    codes = [clear]
    for n, index in enumerate(indices):
        if n and n % room == 0:
            codes.append(clear)
        codes.append(index)
    codes.append(end)
    bits = nbits = 0
    out = bytearray()
    for code in codes:
        bits |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    blocks = bytearray([min_code_size])
    for i in range(0, len(out), 255):
        blocks += bytes([len(out[i:i + 255])]) + out[i:i + 255]
    return bytes(blocks + b"\x00")


def gif(screen_w, screen_h, left, top, w, h, indices, transparent_index):
    colors = [(0, 0, 0), (255, 0, 0), (0, 128, 0), (40, 40, 200), (250, 250, 250), (0, 255, 0),
              (120, 60, 0), (255, 255, 255)]
    table = b"".join(bytes(c) for c in colors)
    out = b"GIF89a" + struct.pack("<HHBBB", screen_w, screen_h, 0xF2, 0, 0) + table
    out += bytes([0x21, 0xF9, 4, 0x01, 0, 0, transparent_index, 0])
    out += b"\x2C" + struct.pack("<HHHHB", left, top, w, h, 0)
    out += lzw_literal_codes(indices, 3)
    return out + b"\x3B"


def bmp24_source():
    width, height = 5, 4
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            row += bytes([30 * x, 200 - 40 * y, 100])
        pixels += row + bytes(stride - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54) + header + pixels


def main():
    covering = [(x * 3 + y) % 8 for y in range(6) for x in range(8)]
    offset = [(x + 2 * y) % 8 for y in range(4) for x in range(5)]
    files = {
        "a_rgba.png": rgba_source(),
        "b_rgba16.png": rgba16_source(),
        "c_grey_alpha.png": grey_alpha_source(),
        "d_palette_trns.png": palette_trns_source(),
        "e_rgb_key.png": rgb_key_source(),
        "f_covering.gif": gif(8, 6, 0, 0, 8, 6, covering, 5),
        "g_offset.gif": gif(9, 7, 2, 1, 5, 4, offset, 2),
        "h_opaque.bmp": bmp24_source(),
    }
    for name, data in files.items():
        (HERE / name).write_bytes(data)


if __name__ == "__main__":
    main()
