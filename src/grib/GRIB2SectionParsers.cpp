// The section readers of GRIB2MessageParser: sections 3 (grid), 4 (product) and 5 (data
// representation), each reading its fields through the wire layouts of GRIB2Templates.h.
#include "grib/GRIB2MessageParser.h"

#include "grib/GRIB2SectionReader.h"
#include "grib/GRIB2Templates.h"

namespace T = GRIB2Templates;
using Kind = GRIB2ParseError::Kind;

namespace {

void requireLength(const GRIB2SectionReader &reader, std::size_t minimum, const char *what, std::size_t base)
{
    if (reader.size() < minimum) {
        throw GRIB2ParseError(Kind::truncatedSection, static_cast<std::int64_t>(reader.size()),
                              std::string(what) + " shorter than " + std::to_string(minimum) + " octets", base);
    }
}

int asInt(std::int64_t value) { return static_cast<int>(value); }

} // namespace

GRIB2Grid GRIB2MessageParser::parseGridDefinition(std::span<const std::uint8_t> section, std::size_t base)
{
    const GRIB2SectionReader reader(section, base);
    requireLength(reader, T::Grid::minimumLength, "section 3", base);
    const auto number = reader.unsignedValue(T::Grid::templateNumber);
    const auto gridTemplate = GRIB2Grid::templateFromNumber(static_cast<std::int64_t>(number));
    if (!gridTemplate) {
        throw GRIB2ParseError(Kind::unsupportedGridTemplate, static_cast<std::int64_t>(number),
                              "grid definition template", base + T::Grid::templateNumber.octet - 1);
    }
    requireLength(reader, T::Grid::minimumLengthWithSize, "section 3", base);

    GRIB2Grid grid;
    grid.gridTemplate = *gridTemplate;
    grid.numberOfDataPoints = static_cast<std::uint32_t>(reader.unsignedValue(T::Grid::numberOfDataPoints));
    grid.width = static_cast<std::uint32_t>(reader.unsignedValue(T::Grid::ni));
    grid.height = static_cast<std::uint32_t>(reader.unsignedValue(T::Grid::nj));

    switch (grid.gridTemplate) {
    case GRIB2Grid::Template::latLon:
    case GRIB2Grid::Template::gaussian:
        if (reader.has(T::LatLon::lo2)) {
            grid.latitudeOfFirstGridPoint = reader.degrees(T::LatLon::la1);
            grid.longitudeOfFirstGridPoint = reader.degrees(T::LatLon::lo1);
            grid.latitudeOfLastGridPoint = reader.degrees(T::LatLon::la2);
            grid.longitudeOfLastGridPoint = reader.degrees(T::LatLon::lo2);
        }
        break;
    case GRIB2Grid::Template::polarStereographic:
        // The template has a first grid point only; the last stays 0.
        if (reader.has(T::PolarStereographic::lo1)) {
            grid.latitudeOfFirstGridPoint = reader.degrees(T::PolarStereographic::la1);
            grid.longitudeOfFirstGridPoint = reader.degrees(T::PolarStereographic::lo1);
        }
        break;
    case GRIB2Grid::Template::lambertConformal: {
        requireLength(reader, T::LambertConformal::minimumLength, "Lambert conformal section 3", base);
        namespace L = T::LambertConformal;
        grid.latitudeOfFirstGridPoint = reader.degrees(L::la1);
        grid.longitudeOfFirstGridPoint = reader.degrees(L::lo1);
        LambertConformalParameters lambert;
        lambert.laD = reader.degrees(L::laD);
        lambert.loV = reader.degrees(L::loV);
        lambert.dx = static_cast<double>(reader.unsignedValue(L::dx)) / 1000.0;
        lambert.dy = static_cast<double>(reader.unsignedValue(L::dy)) / 1000.0;
        lambert.latin1 = reader.degrees(L::latin1);
        lambert.latin2 = reader.degrees(L::latin2);
        grid.lambertConformalParameters = lambert;
        break;
    }
    }
    return grid;
}

GRIB2Product GRIB2MessageParser::parseProductDefinition(std::span<const std::uint8_t> section, int discipline,
                                                        std::size_t base)
{
    const GRIB2SectionReader reader(section, base);
    requireLength(reader, T::Product::minimumLength, "section 4", base);
    GRIB2Product product;
    product.discipline = discipline;
    product.templateNumber = asInt(reader.unsignedValue(T::Product::templateNumber));
    product.parameterCategory = asInt(reader.unsignedValue(T::Product::parameterCategory));
    product.parameterNumber = asInt(reader.unsignedValue(T::Product::parameterNumber));
    product.forecastTime = static_cast<std::uint32_t>(reader.unsignedValue(T::Product::forecastTime));
    product.firstSurfaceType = asInt(reader.unsignedValue(T::Product::firstSurfaceType));
    product.firstSurfaceScaleFactor = asInt(reader.signedValue(T::Product::firstSurfaceScaleFactor));
    product.firstSurfaceScaledValue = reader.signedValue(T::Product::firstSurfaceScaledValue);
    return product;
}

GRIB2DataRepresentation GRIB2MessageParser::parseDataRepresentation(std::span<const std::uint8_t> section,
                                                                    std::size_t base)
{
    using namespace GRIB2DataRepresentations;
    namespace D = T::DataRepresentation;
    const GRIB2SectionReader reader(section, base);
    if (reader.size() <= 10)
        return Unsupported{-1};
    const auto points = static_cast<std::uint32_t>(reader.unsignedValue(D::numberOfDataPoints));
    const int number = asInt(reader.unsignedValue(D::templateNumber));

    auto simpleParameters = [&] {
        SimplePacking::Parameters p;
        p.referenceValue = reader.floatValue(D::referenceValue);
        p.binaryScaleFactor = asInt(reader.signedValue(D::binaryScaleFactor));
        p.decimalScaleFactor = asInt(reader.signedValue(D::decimalScaleFactor));
        p.bitsPerValue = asInt(reader.unsignedValue(D::bitsPerValue));
        p.numberOfDataPoints = points;
        return p;
    };

    switch (number) {
    case 0:
        if (reader.size() >= D::simpleLength)
            return Simple{simpleParameters()};
        break;
    case 40:
        if (reader.size() >= D::simpleLength)
            return JPEG2000{simpleParameters()};
        break;
    case 2:
        if (const auto p = parseComplexPackingParameters(section, base))
            return Complex{*p};
        break;
    case 3:
        if (const auto p = parseComplexPackingParameters(section, base);
            p && reader.size() >= T::ComplexPacking::spatialDifferencingLength) {
            return ComplexSpatialDifferencing{*p, asInt(reader.unsignedValue(T::ComplexPacking::spatialOrder)),
                                              asInt(reader.unsignedValue(T::ComplexPacking::extraDescriptorOctets))};
        }
        break;
    default: break;
    }
    return Unsupported{number};
}

std::optional<ComplexPacking::Parameters>
GRIB2MessageParser::parseComplexPackingParameters(std::span<const std::uint8_t> section, std::size_t base)
{
    namespace C = T::ComplexPacking;
    namespace D = T::DataRepresentation;
    const GRIB2SectionReader reader(section, base);
    if (reader.size() < C::minimumLength)
        return std::nullopt;
    ComplexPacking::Parameters p;
    p.referenceValue = reader.floatValue(D::referenceValue);
    p.binaryScaleFactor = asInt(reader.signedValue(D::binaryScaleFactor));
    p.decimalScaleFactor = asInt(reader.signedValue(D::decimalScaleFactor));
    p.bitsForGroupReferences = asInt(reader.unsignedValue(C::bitsForGroupReferences));
    p.originalFieldType = asInt(reader.unsignedValue(C::originalFieldType));
    p.groupSplittingMethod = asInt(reader.unsignedValue(C::groupSplittingMethod));
    p.missingValueManagement = asInt(reader.unsignedValue(C::missingValueManagement));
    p.primaryMissingValue = reader.floatValue(C::primaryMissingValue);
    p.secondaryMissingValue = reader.floatValue(C::secondaryMissingValue);
    p.numberOfGroups = static_cast<std::uint32_t>(reader.unsignedValue(C::numberOfGroups));
    p.groupWidthReference = asInt(reader.unsignedValue(C::groupWidthReference));
    p.bitsForGroupWidths = asInt(reader.unsignedValue(C::bitsForGroupWidths));
    p.groupLengthReference = static_cast<std::uint32_t>(reader.unsignedValue(C::groupLengthReference));
    p.groupLengthIncrement = asInt(reader.unsignedValue(C::groupLengthIncrement));
    p.lastGroupLength = static_cast<std::uint32_t>(reader.unsignedValue(C::lastGroupLength));
    p.bitsForGroupLengths = asInt(reader.unsignedValue(C::bitsForGroupLengths));
    p.numberOfDataPoints = static_cast<std::uint32_t>(reader.unsignedValue(D::numberOfDataPoints));
    return p;
}
