// Bounds-checked reads of GRIB2 fields within one section. Fields are named by the wire layouts
// of GRIB2Templates.h (1-based octet within the section, width); integers are big-endian and
// signed fields are sign-magnitude. A read past the section throws `outOfBounds` with the
// absolute byte offset, so no caller indexes raw bytes.
#pragma once

#include "grib/GRIB2Error.h"
#include "grib/GRIB2Templates.h"

#include <cstdint>
#include <span>

class GRIB2SectionReader
{
public:
    /// `bytes` starts at the section's length field; `base` is its offset in the whole buffer.
    GRIB2SectionReader(std::span<const std::uint8_t> bytes, std::size_t base)
        : mBytes(bytes), mBase(base)
    {
    }

    std::size_t size() const { return mBytes.size(); }
    bool has(GRIB2Field field) const { return field.octet + field.width - 1 <= mBytes.size(); }

    /// Unsigned big-endian value of 1 to 8 octets.
    std::uint64_t unsignedValue(GRIB2Field field) const;
    /// Sign-magnitude value: the top bit is the sign, the rest the magnitude.
    std::int64_t signedValue(GRIB2Field field) const;
    /// The 4 octets as the bit pattern of an IEEE 754 single-precision float.
    float floatValue(GRIB2Field field) const;
    /// A sign-magnitude micro-degree field in degrees.
    double degrees(GRIB2Field field) const { return static_cast<double>(signedValue(field)) / 1e6; }

    /// Octets from `firstOctet` to the end of the section (empty when the section is shorter).
    std::span<const std::uint8_t> tail(std::size_t firstOctet) const;

private:
    std::span<const std::uint8_t> mBytes;
    std::size_t mBase;
};
