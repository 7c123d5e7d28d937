// How a GRIB2 message's values are packed, as read from section 5: one case per template the
// decoder unpacks, and `Unsupported` (with the template number) for anything else.
#pragma once

#include "grib/ComplexPacking.h"
#include "grib/JPEG2000Packing.h"
#include "grib/SimplePacking.h"

#include <variant>

namespace GRIB2DataRepresentations {

/// Template 5.0.
struct Simple
{
    SimplePacking::Parameters parameters;
    bool operator==(const Simple &) const = default;
};

/// Template 5.2.
struct Complex
{
    ComplexPacking::Parameters parameters;
    bool operator==(const Complex &) const = default;
};

/// Template 5.3.
struct ComplexSpatialDifferencing
{
    ComplexPacking::Parameters parameters;
    int spatialOrder = 0;
    int extraDescriptorOctets = 0;
    bool operator==(const ComplexSpatialDifferencing &) const = default;
};

/// Template 5.40.
struct JPEG2000
{
    JPEG2000Packing::Parameters parameters;
    bool operator==(const JPEG2000 &) const = default;
};

/// Any other template, or a section too short for its template (-1: too short to say).
struct Unsupported
{
    int templateNumber = -1;
    bool operator==(const Unsupported &) const = default;
};

} // namespace GRIB2DataRepresentations

using GRIB2DataRepresentation = std::variant<GRIB2DataRepresentations::Simple, GRIB2DataRepresentations::Complex,
                                             GRIB2DataRepresentations::ComplexSpatialDifferencing,
                                             GRIB2DataRepresentations::JPEG2000, GRIB2DataRepresentations::Unsupported>;
