// One field of a GRIB2 buffer as the parser found it: the sections in force when its data
// section was read. The bitmap and packed data are slices of the caller's buffer, not copies:
// a message is valid only while that buffer lives.
#pragma once

#include "grib/GRIB2DataRepresentation.h"
#include "grib/GRIB2Grid.h"
#include "grib/GRIB2Product.h"

#include <cstdint>
#include <optional>
#include <span>

struct GRIB2Message
{
    int discipline = 0;
    GRIB2Grid grid;
    GRIB2Product product;
    GRIB2DataRepresentation dataRepresentation;
    std::optional<std::span<const std::uint8_t>> bitmap;  ///< bitmap bits, when the field has one
    std::span<const std::uint8_t> packedData;             ///< section 7 after its 5-octet header

    int messageNumber = 0;      ///< 1-based number of the GRIB message in the buffer
    std::size_t dataOffset = 0;  ///< offset of packedData in the buffer, for error texts
};
