// Wire layouts of the GRIB edition 2 sections and templates this decoder reads, declared once.
// Each field is its 1-based octet within the section (octet 1 is the first octet of the
// section's length field, as in the WMO templates), its width in octets and its WMO name.
#pragma once

#include <cstddef>

struct GRIB2Field
{
    std::size_t octet;
    std::size_t width;
    const char *name;
};

namespace GRIB2Templates {

/// Section 0, the indicator section (always 16 octets in edition 2).
namespace Indicator {
inline constexpr std::size_t length = 16;
inline constexpr GRIB2Field discipline{7, 1, "discipline"};
inline constexpr GRIB2Field edition{8, 1, "editionNumber"};
inline constexpr GRIB2Field totalLength{9, 8, "totalLength"};
} // namespace Indicator

/// The header every section from 1 to 7 begins with.
namespace SectionHeader {
inline constexpr GRIB2Field length{1, 4, "section length"};
inline constexpr GRIB2Field number{5, 1, "numberOfSection"};
} // namespace SectionHeader

/// Section 3, grid definition, and templates 3.0, 3.20, 3.30 and 3.40.
namespace Grid {
inline constexpr std::size_t minimumLength = 14;
inline constexpr std::size_t minimumLengthWithSize = 38;
inline constexpr GRIB2Field numberOfDataPoints{7, 4, "numberOfDataPoints"};
inline constexpr GRIB2Field templateNumber{13, 2, "gridDefinitionTemplateNumber"};
inline constexpr GRIB2Field ni{31, 4, "Ni"};
inline constexpr GRIB2Field nj{35, 4, "Nj"};
} // namespace Grid

/// Templates 3.0 (latitude/longitude) and 3.40 (Gaussian) share the corner positions.
namespace LatLon {
inline constexpr GRIB2Field la1{47, 4, "La1"};
inline constexpr GRIB2Field lo1{51, 4, "Lo1"};
inline constexpr GRIB2Field la2{56, 4, "La2"};
inline constexpr GRIB2Field lo2{60, 4, "Lo2"};
} // namespace LatLon

/// Template 3.20, polar stereographic: only a first grid point.
namespace PolarStereographic {
inline constexpr GRIB2Field la1{39, 4, "La1"};
inline constexpr GRIB2Field lo1{43, 4, "Lo1"};
} // namespace PolarStereographic

/// Template 3.30, Lambert conformal.
namespace LambertConformal {
inline constexpr std::size_t minimumLength = 73;
inline constexpr GRIB2Field la1{39, 4, "La1"};
inline constexpr GRIB2Field lo1{43, 4, "Lo1"};
inline constexpr GRIB2Field laD{48, 4, "LaD"};
inline constexpr GRIB2Field loV{52, 4, "LoV"};
inline constexpr GRIB2Field dx{56, 4, "Dx"};
inline constexpr GRIB2Field dy{60, 4, "Dy"};
inline constexpr GRIB2Field latin1{66, 4, "Latin1"};
inline constexpr GRIB2Field latin2{70, 4, "Latin2"};
} // namespace LambertConformal

/// Section 4, product definition, read at the positions of template 4.0 whatever the template.
namespace Product {
inline constexpr std::size_t minimumLength = 34;
inline constexpr GRIB2Field templateNumber{8, 2, "productDefinitionTemplateNumber"};
inline constexpr GRIB2Field parameterCategory{10, 1, "parameterCategory"};
inline constexpr GRIB2Field parameterNumber{11, 1, "parameterNumber"};
inline constexpr GRIB2Field forecastTime{19, 4, "forecastTime"};
inline constexpr GRIB2Field firstSurfaceType{23, 1, "typeOfFirstFixedSurface"};
inline constexpr GRIB2Field firstSurfaceScaleFactor{24, 1, "scaleFactorOfFirstFixedSurface"};
inline constexpr GRIB2Field firstSurfaceScaledValue{25, 4, "scaledValueOfFirstFixedSurface"};
} // namespace Product

/// Section 5, data representation: templates 5.0 and 5.40 (simple fields), 5.2 and 5.3.
namespace DataRepresentation {
inline constexpr GRIB2Field numberOfDataPoints{6, 4, "numberOfValues"};
inline constexpr GRIB2Field templateNumber{10, 2, "dataRepresentationTemplateNumber"};
inline constexpr GRIB2Field referenceValue{12, 4, "R"};
inline constexpr GRIB2Field binaryScaleFactor{16, 2, "E"};
inline constexpr GRIB2Field decimalScaleFactor{18, 2, "D"};
inline constexpr GRIB2Field bitsPerValue{20, 1, "bitsPerValue"};
inline constexpr std::size_t simpleLength = 21;
} // namespace DataRepresentation

namespace ComplexPacking {
inline constexpr std::size_t minimumLength = 47;
inline constexpr GRIB2Field bitsForGroupReferences{20, 1, "bitsPerValue"};
inline constexpr GRIB2Field originalFieldType{21, 1, "typeOfOriginalFieldValues"};
inline constexpr GRIB2Field groupSplittingMethod{22, 1, "groupSplittingMethodUsed"};
inline constexpr GRIB2Field missingValueManagement{23, 1, "missingValueManagementUsed"};
inline constexpr GRIB2Field primaryMissingValue{24, 4, "primaryMissingValueSubstitute"};
inline constexpr GRIB2Field secondaryMissingValue{28, 4, "secondaryMissingValueSubstitute"};
inline constexpr GRIB2Field numberOfGroups{32, 4, "numberOfGroupsOfDataValues"};
inline constexpr GRIB2Field groupWidthReference{36, 1, "referenceForGroupWidths"};
inline constexpr GRIB2Field bitsForGroupWidths{37, 1, "numberOfBitsUsedForTheGroupWidths"};
inline constexpr GRIB2Field groupLengthReference{38, 4, "referenceForGroupLengths"};
inline constexpr GRIB2Field groupLengthIncrement{42, 1, "lengthIncrementForTheGroupLengths"};
inline constexpr GRIB2Field lastGroupLength{43, 4, "trueLengthOfLastGroup"};
inline constexpr GRIB2Field bitsForGroupLengths{47, 1, "numberOfBitsForScaledGroupLengths"};
/// Template 5.3 only: more than 48 octets for the two spatial differencing fields.
inline constexpr std::size_t spatialDifferencingLength = 49;
inline constexpr GRIB2Field spatialOrder{48, 1, "orderOfSpatialDifferencing"};
inline constexpr GRIB2Field extraDescriptorOctets{49, 1, "numberOfOctetsExtraDescriptors"};
} // namespace ComplexPacking

/// Section 6, bitmap.
namespace Bitmap {
inline constexpr GRIB2Field indicator{6, 1, "bitMapIndicator"};
inline constexpr std::size_t firstBitmapOctet = 7;
} // namespace Bitmap

/// Section 7, data.
namespace Data {
inline constexpr std::size_t firstDataOctet = 6;
} // namespace Data

} // namespace GRIB2Templates
