#!/usr/bin/python3
"""Writes the terrain tile fixtures in terrain/: eight 512-px JPEG tiles of distinct solid
colours for a 4 x 2 level ("column_row.jpg", row 0 north), one tile of the 32 x 16 level
(12_5.jpg), a truncated tile and an HTML error page. Run from this folder:
    python3 make_terrain_fixtures.py
Needs python3-pil. The colours are listed in terrain/README.md for the tests."""
import os

from PIL import Image

COLOURS = {
    (0, 0): (200, 40, 40),
    (1, 0): (40, 200, 40),
    (2, 0): (40, 40, 200),
    (3, 0): (200, 200, 40),
    (0, 1): (200, 40, 200),
    (1, 1): (40, 200, 200),
    (2, 1): (232, 136, 24),
    (3, 1): (120, 120, 120),
}

os.makedirs("terrain", exist_ok=True)
for (column, row), colour in COLOURS.items():
    Image.new("RGB", (512, 512), colour).save(f"terrain/{column}_{row}.jpg", quality=95)
Image.new("RGB", (512, 512), (96, 160, 224)).save("terrain/12_5.jpg", quality=95)

with open("terrain/0_0.jpg", "rb") as tile, open("terrain/truncated.jpg", "wb") as out:
    out.write(tile.read()[:1000])

with open("terrain/not_a_tile.html", "w") as page:
    page.write("<!DOCTYPE html>\n<html><head><title>Service unavailable</title></head>\n"
               "<body><h1>Service unavailable</h1><p>Try again later.</p></body></html>\n")
