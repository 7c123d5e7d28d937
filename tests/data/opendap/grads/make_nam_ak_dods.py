#!/usr/bin/env python3
"""Writes nam_ak_00z.dods: the DDS of nam_ak_00z.dds, the line "Data:", then every array in DDS
order as XDR (count, count again, big-endian elements). A regional grid across 180 degrees of
longitude; values from the formula of README.md. Run from this folder: python3 make_nam_ak_dods.py"""
import struct

TIME = [738964.0 + 0.125 * t for t in range(2)]
LAT = [40.0 + 10.0 * y for y in range(4)]
LON = [160.0 + 5.0 * x for x in range(20)]
MISSING = 9.999e20


def tmp2m(t, y, x):
    if (t + y + x) % 11 == 3:
        return MISSING
    return 250.0 + t + 2.0 * y + 0.25 * x


def array(fmt, values):
    values = list(values)
    return struct.pack(">II", len(values), len(values)) + b"".join(struct.pack(fmt, v) for v in values)


out = open("nam_ak_00z.dds", "rb").read() + b"\nData:\n"
out += b"".join(array(">d", a) for a in (TIME, LAT, LON))
out += array(">f", (tmp2m(t, y, x) for t in range(2) for y in range(4) for x in range(20)))
out += b"".join(array(">d", a) for a in (TIME, LAT, LON))
open("nam_ak_00z.dods", "wb").write(out)
