#!/usr/bin/env python3
"""Writes the source folders of bench/memory.sh as PNG files.

    memory_sources.py FOLDER COUNT [LARGE_SIDE [png|jpeg|bmp|webp]]

COUNT images of random sizes 1-64 px with random colours and alpha, the same
for every run (fixed seed); one in ten is a copy of an earlier image under
another name, so that --dedupe has copies to merge. With LARGE_SIDE, one more
image of LARGE_SIDE x LARGE_SIDE pixels is written first, as PNG, as JPEG
(through cjpeg, from libjpeg-turbo-progs), as a 24-bit BMP or, with noise
in the low bits of every colour as in a photograph, as a lossy WebP
(through cwebp, from webp).
"""
import os
import random
import struct
import subprocess
import sys
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write_png(path, width, height, rows):
    """Writes an 8-bit RGBA PNG; `rows` yields each row's raw bytes."""
    packer = zlib.compressobj(1)
    parts = [packer.compress(b"\0" + row) for row in rows]
    parts.append(packer.flush())
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        out.write(chunk(b"IDAT", b"".join(parts)))
        out.write(chunk(b"IEND", b""))


def large_rows(side, channels):
    # A few distinct rows of opaque colour bands: quick to write and to read.
    bands = [bytes([(x // 64 + k) % 256 for x in range(side) for _ in range(3)]) for k in range(8)]
    rows = []
    for band in bands:
        row = bytearray(side * channels)
        for c in range(3):
            row[c::channels] = band[c::3]
        if channels == 4:
            row[3::4] = b"\xff" * side
        rows.append(bytes(row))
    return (rows[(y // 500) % 8] for y in range(side))


def write_jpeg(path, side):
    with open(path, "wb") as out:
        cjpeg = subprocess.Popen(["cjpeg", "-quality", "90"], stdin=subprocess.PIPE, stdout=out)
        cjpeg.stdin.write(b"P6\n%d %d\n255\n" % (side, side))
        for row in large_rows(side, 3):
            cjpeg.stdin.write(row)
        cjpeg.stdin.close()
        if cjpeg.wait() != 0:
            sys.exit("cjpeg failed")


def write_webp(path, side):
    rng = random.Random(20261211)
    noise_bits = int.from_bytes(b"\x0f" * side * 3, "big")
    ppm = path + ".ppm"
    with open(ppm, "wb") as out:
        out.write(b"P6\n%d %d\n255\n" % (side, side))
        for row in large_rows(side, 3):
            noise = int.from_bytes(rng.randbytes(side * 3), "big") & noise_bits
            out.write((int.from_bytes(row, "big") ^ noise).to_bytes(side * 3, "big"))
    try:
        subprocess.run(["cwebp", "-quiet", "-q", "80", ppm, "-o", path], check=True)
    finally:
        os.remove(ppm)


def write_bmp(path, side):
    """Writes a 24-bit bottom-up BMP (rows padded to 4 bytes)."""
    rows = list(large_rows(side, 3))
    stride = (side * 3 + 3) // 4 * 4
    size = 54 + stride * side
    with open(path, "wb") as out:
        out.write(b"BM" + struct.pack("<IHHI", size, 0, 0, 54))
        out.write(struct.pack("<IiiHHIIiiII", 40, side, side, 1, 24, 0, stride * side, 0, 0, 0, 0))
        padding = bytes(stride - side * 3)
        for row in reversed(rows):
            # Stored blue, green, red.
            bgr = bytearray(row)
            bgr[0::3], bgr[2::3] = row[2::3], row[0::3]
            out.write(bytes(bgr) + padding)


def main():
    folder, count = sys.argv[1], int(sys.argv[2])
    os.makedirs(folder, exist_ok=True)
    if len(sys.argv) > 3:
        side = int(sys.argv[3])
        if sys.argv[4:] == ["jpeg"]:
            write_jpeg(os.path.join(folder, "large.jpg"), side)
        elif sys.argv[4:] == ["bmp"]:
            write_bmp(os.path.join(folder, "large.bmp"), side)
        elif sys.argv[4:] == ["webp"]:
            write_webp(os.path.join(folder, "large.webp"), side)
        else:
            write_png(os.path.join(folder, "large.png"), side, side, large_rows(side, 4))
    rng = random.Random(20261209)
    written = []
    for i in range(count):
        path = os.path.join(folder, "img%05d.png" % i)
        if written and i % 10 == 9:
            with open(rng.choice(written), "rb") as earlier, open(path, "wb") as out:
                out.write(earlier.read())
            continue
        width, height = rng.randint(1, 64), rng.randint(1, 64)
        pixels = rng.randbytes(width * height * 4)
        write_png(path, width, height,
                  (pixels[y * width * 4:(y + 1) * width * 4] for y in range(height)))
        written.append(path)


main()
