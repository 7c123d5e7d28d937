// Grid template numbers.
#include "grib/GRIB2Grid.h"

std::optional<GRIB2Grid::Template> GRIB2Grid::templateFromNumber(std::int64_t number)
{
    switch (number) {
    case 0: return Template::latLon;
    case 20: return Template::polarStereographic;
    case 30: return Template::lambertConformal;
    case 40: return Template::gaussian;
    default: return std::nullopt;
    }
}
