#!/usr/bin/python3
"""Writes the radar and satellite fixtures in radar/: the frame inventories, one solid 512-px
PNG per radar time (red, green, blue for 06:30, 06:42, 06:54 UTC of 2024-03-10), grey
"clouds_" satellite tiles of the same times (greys 80, 140, 200), a corrupt PNG and the
attribution files (plain, UTF-8 with CR LF line ends, Latin-1). Run from this folder:
    python3 make_radar_fixtures.py
Needs python3-pil."""
import os

from PIL import Image

TIMES = ["202403100630", "202403100642", "202403100654"]
RADAR = [(255, 0, 0), (0, 255, 0), (0, 0, 255)]
CLOUDS = [80, 140, 200]

os.makedirs("radar", exist_ok=True)
for time, colour, grey in zip(TIMES, RADAR, CLOUDS):
    Image.new("RGB", (512, 512), colour).save(f"radar/{time}.png")
    Image.new("L", (512, 512), grey).save(f"radar/clouds_{time}.png")

with open("radar/202403100630.png", "rb") as tile, open("radar/corrupt.png", "wb") as out:
    out.write(tile.read()[:60])

with open("radar/inventory.txt", "w") as out:
    out.write("# base reflectivity composites, newest last\n"
              "frame 202403100630 complete\n"
              "frame 202403100642 complete\n"
              "frame 202413100700 (month 13)\n"
              "frame 202403100654 complete\n")
with open("radar/inventory_dropped.txt", "w") as out:
    out.write("frame 202403100642 complete\nframe 202403100654 complete\n")
with open("radar/inventory_empty.txt", "w") as out:
    out.write("# no frames yet\n")

HEADER = "# minLatitude,minLongitude,maxLatitude,maxLongitude,organisation,address\n"
with open("radar/attribution.txt", "w") as out:
    out.write(HEADER
              + "10,-20,60,40,Too Few Fields\n"
              + "20,-130,50,-60,Northern Plains Radar,https://radar.example.org,composite,2024\n")
with open("radar/attribution_utf8.txt", "wb") as out:
    out.write((HEADER + "40,-10,55,20,Réseau Météo Européen,https://meteo.example.eu\n")
              .replace("\n", "\r\n").encode("utf-8"))
with open("radar/attribution_latin1.txt", "wb") as out:
    out.write((HEADER + "40,-10,55,20,Servicio Meteorológico Ibérico,https://tiempo.example.es\n")
              .encode("latin-1"))
