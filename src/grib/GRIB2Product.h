// The product of a GRIB2 message as read from section 4, at the positions of template 4.0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct GRIB2Product
{
    int discipline = 0;
    int parameterCategory = 0;
    int parameterNumber = 0;
    int firstSurfaceType = 0;
    int firstSurfaceScaleFactor = 0;        ///< sign-magnitude octet
    std::int64_t firstSurfaceScaledValue = 0;  ///< sign-magnitude, 4 octets
    int templateNumber = 0;
    std::uint32_t forecastTime = 0;  ///< in the template's unit of time, not converted

    /// The parameter abbreviation ("UGRD"), or nothing when the table has no entry.
    std::optional<std::string> parameterName() const;
    /// The description of the first fixed surface ("10 m above ground"), or nothing.
    std::optional<std::string> surfaceDescription() const;

    bool operator==(const GRIB2Product &) const = default;
};
