// One decoded GRIB2 field: its names, product, grid and values.
#pragma once

#include "grib/GRIB2Grid.h"
#include "grib/GRIB2Product.h"

#include <optional>
#include <string>
#include <vector>

struct GRIB2DecodedRecord
{
    std::optional<std::string> variableName;      ///< "UGRD"; absent when the table lacks the parameter
    std::optional<std::string> levelDescription;  ///< "10 m above ground"; absent for unknown surfaces
    GRIB2Product product;
    GRIB2Grid grid;
    /// The values in the message's point order (no reordering or flipping); absent points are
    /// quiet NaN. With a bitmap there are the grid's numberOfDataPoints values; without one,
    /// as many as the packing holds.
    std::vector<float> values;
};
