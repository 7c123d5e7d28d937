// The scaling every packing shares: a packed integer X becomes (X × 2^E + R) / 10^D, computed in
// single precision in that order (multiply, add, divide). Loops over it are plain so the
// compiler can vectorise them; no fast-math reassociation is wanted.
#pragma once

#include <cmath>
#include <cstdint>

struct GRIB2Scaling
{
    float referenceValue;  ///< R
    float binaryScale;     ///< 2^E
    float decimalScale;    ///< 10^D

    GRIB2Scaling(float r, int binaryScaleFactor, int decimalScaleFactor)
        : referenceValue(r)
        , binaryScale(std::ldexp(1.0f, binaryScaleFactor))
        , decimalScale(static_cast<float>(std::pow(10.0, decimalScaleFactor)))
    {
    }

    float operator()(float x) const { return (x * binaryScale + referenceValue) / decimalScale; }
};
