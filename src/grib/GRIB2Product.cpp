// Derived names of a product: its parameter abbreviation and its level text.
#include "grib/GRIB2Product.h"

#include "grib/GRIB2Decoder.h"
#include "grib/ParameterTable.h"

std::optional<std::string> GRIB2Product::parameterName() const
{
    const auto name = ParameterTable::abbreviation({discipline, parameterCategory, parameterNumber});
    if (!name)
        return std::nullopt;
    return std::string(*name);
}

std::optional<std::string> GRIB2Product::surfaceDescription() const
{
    return GRIB2Decoder::levelDescriptionForSurface(firstSurfaceType, firstSurfaceScaleFactor,
                                                    firstSurfaceScaledValue);
}
