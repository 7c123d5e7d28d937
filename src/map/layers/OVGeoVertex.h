// The map's packed vertex record: every layer that draws arrays of geographic vertices uses it,
// with its size as the array stride. The vertex array points at `x0` (the drawn position), the
// texture-coordinate array at `s`; the wind particles keep their three previous positions in
// the other three x, y, z triples.
#pragma once

#include <cstddef>
#include <cstdint>

struct OVGeoVertex
{
    float latitude;
    float longitude;
    float red;
    float green;
    float blue;
    float alpha;
    int16_t s;
    int16_t t;
    float x0, y0, z0;
    float x1, y1, z1;
    float x2, y2, z2;
    float x3, y3, z3;
};

static_assert(sizeof(OVGeoVertex) == 76, "the vertex stride every draw call uses");
static_assert(offsetof(OVGeoVertex, s) == 24 && offsetof(OVGeoVertex, x0) == 28);
