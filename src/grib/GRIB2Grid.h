// The grid of a GRIB2 message as read from section 3 (templates 3.0, 3.20, 3.30, 3.40).
#pragma once

#include <cstdint>
#include <optional>

struct LambertConformalParameters
{
    double laD = 0;     ///< latitude where Dx and Dy are specified, degrees
    double loV = 0;     ///< orientation longitude, degrees
    double dx = 0;      ///< metres
    double dy = 0;      ///< metres
    double latin1 = 0;  ///< first secant latitude, degrees
    double latin2 = 0;  ///< second secant latitude, degrees

    bool operator==(const LambertConformalParameters &) const = default;
};

struct GRIB2Grid
{
    /// Grid definition template numbers this decoder understands.
    enum class Template : int {
        latLon = 0,
        polarStereographic = 20,
        lambertConformal = 30,
        gaussian = 40,
    };
    /// The template for a number, or nothing for any other number.
    static std::optional<Template> templateFromNumber(std::int64_t number);

    Template gridTemplate = Template::latLon;
    std::uint32_t numberOfDataPoints = 0;
    std::uint32_t width = 0;   ///< points along a parallel (Ni / Nx)
    std::uint32_t height = 0;  ///< points along a meridian (Nj / Ny)
    double latitudeOfFirstGridPoint = 0;
    double longitudeOfFirstGridPoint = 0;
    /// 0 for Lambert conformal and polar stereographic grids, which have no last grid point.
    double latitudeOfLastGridPoint = 0;
    double longitudeOfLastGridPoint = 0;
    std::optional<LambertConformalParameters> lambertConformalParameters;

    bool operator==(const GRIB2Grid &) const = default;
};
