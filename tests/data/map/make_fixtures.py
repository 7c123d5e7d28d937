#!/usr/bin/python3
"""Writes the image fixtures of the texture loader tests, and the independent decodes they are
checked against (netpbm's pngtopnm, libjpeg's djpeg). Run from this folder:
    python3 make_fixtures.py
Needs python3-pil, netpbm and libjpeg-turbo-progs."""
import struct
import subprocess
import zlib

from PIL import Image


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_rgba16(path, width, height, pixel):
    """A 16-bit-per-channel RGBA PNG (Pillow cannot write one)."""
    rows = b""
    for y in range(height):
        rows += b"\x00" + b"".join(struct.pack(">4H", *pixel(x, y)) for x in range(width))
    header = struct.pack(">IIBBBBB", width, height, 16, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
                + png_chunk(b"IDAT", zlib.compress(rows)) + png_chunk(b"IEND", b""))


def decode(png, stem):
    with open(stem + ".pnm", "wb") as out:
        subprocess.run(["pngtopnm", png], stdout=out, check=True)
    with open(stem + ".alpha.pgm", "wb") as out:
        subprocess.run(["pngtopnm", "-alpha", png], stdout=out, check=True)


Image.new("RGBA", (1, 1), (255, 0, 0, 255)).save("red_1x1.png")
Image.new("RGBA", (1, 1), (255, 255, 255, 128)).save("white_a128_1x1.png")

rows = Image.new("RGB", (2, 2), (0, 0, 255))
rows.putpixel((0, 0), (255, 0, 0))
rows.putpixel((1, 0), (255, 0, 0))
rows.save("rows_red_top.png")

palette = Image.new("P", (4, 2))
palette.putpalette([255, 0, 0, 0, 255, 0, 0, 0, 255, 200, 100, 50] + [0] * 756)
for x in range(4):
    palette.putpixel((x, 0), x)
    palette.putpixel((x, 1), 3 - x)
palette.save("palette_trns.png", transparency=bytes([255, 0, 128, 64]))

grey = Image.new("L", (8, 4))
for y in range(4):
    for x in range(8):
        grey.putpixel((x, y), (x * 32 + y * 7) % 256)
grey.save("grey8.png")

write_rgba16("rgba16.png", 4, 2, lambda x, y: (x * 16000 + 1000, 65535 - x * 9000, y * 30000 + 257, 65535 if x < 2 else 32896))

for name in ("palette_trns", "grey8", "rgba16"):
    decode(name + ".png", name)

big = Image.new("RGB", (64, 64))
for y in range(64):
    for x in range(64):
        big.putpixel((x, y), (x * 4, y * 4, 128))
big.save("gradient_64.png")
with open("gradient_64.png", "rb") as f:
    data = f.read()
with open("truncated.png", "wb") as f:
    f.write(data[: len(data) // 2])

Image.new("RGB", (16, 16), (200, 120, 40)).save("solid.jpg", quality=95)
with open("solid.ppm", "wb") as out:
    subprocess.run(["djpeg", "-pnm", "solid.jpg"], stdout=out, check=True)
