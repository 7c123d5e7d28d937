#!/usr/bin/env python3
"""Writes gfs_0p25_00z.dods: the DDS of gfs_0p25_00z.dds, the line "Data:", then every array in
DDS order as XDR (count, count again, big-endian elements). Values come from the formula of
README.md. Run from this folder: python3 make_dods.py"""
import struct

TIME = [738964.0 + 0.125 * t for t in range(3)]
LEV = [1000.0, 850.0, 500.0, 10.0]
LAT = [-90.0 + 45.0 * y for y in range(5)]
LON = [45.0 * x for x in range(8)]
MISSING = 9.999e20


def tmpprs(t, z, y, x):
    if (7 * t + 5 * z + 3 * y + x) % 23 == 5:
        return MISSING
    return 200.0 + 10.0 * t + 2.0 * z + 0.5 * y + 0.125 * x


def tmp2m(t, y, x):
    if (3 * t + 2 * y + x) % 13 == 4:
        return MISSING
    return 270.0 + t + 0.5 * y + 0.25 * x


def array(fmt, values):
    values = list(values)
    return struct.pack(">II", len(values), len(values)) + b"".join(struct.pack(fmt, v) for v in values)


def axes(*lists):
    return b"".join(array(">d", a) for a in lists)


out = open("gfs_0p25_00z.dds", "rb").read() + b"\nData:\n"
out += axes(TIME, LEV, LAT, LON)
out += array(">f", (tmpprs(t, z, y, x) for t in range(3) for z in range(4) for y in range(5) for x in range(8)))
out += axes(TIME, LEV, LAT, LON)
out += array(">f", (tmp2m(t, y, x) for t in range(3) for y in range(5) for x in range(8)))
out += axes(TIME, LAT, LON)
open("gfs_0p25_00z.dods", "wb").write(out)
