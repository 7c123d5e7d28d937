// Unpacking of GRIB2 data representation templates 5.2 (complex packing) and 5.3 (complex packing
// with spatial differencing): points in groups, each group a reference, a bit width and a length.
// Stateless; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ComplexPacking {

/// Section 5 of templates 5.2 and 5.3.
struct Parameters
{
    float referenceValue = 0;      ///< R
    int binaryScaleFactor = 0;     ///< E
    int decimalScaleFactor = 0;    ///< D
    int bitsForGroupReferences = 0;
    int originalFieldType = 0;
    int groupSplittingMethod = 0;
    int missingValueManagement = 0;  ///< 0 none, 1 primary missing values, 2 primary and secondary
    float primaryMissingValue = 0;
    float secondaryMissingValue = 0;
    std::uint32_t numberOfGroups = 0;
    int groupWidthReference = 0;
    int bitsForGroupWidths = 0;
    std::uint32_t groupLengthReference = 0;
    int groupLengthIncrement = 0;
    std::uint32_t lastGroupLength = 0;  ///< true length of the last group
    int bitsForGroupLengths = 0;
    std::uint32_t numberOfDataPoints = 0;

    bool operator==(const Parameters &) const = default;
};

/// numberOfDataPoints values in packed order; points the groups do not describe, and points
/// the missing-value management marks missing, are NaN. Template 5.2 passes spatial order 0 and
/// 0 extra descriptor octets. Throws GRIB2ParseError `invalidData` (offset relative to the
/// packed data) for widths above 32 bits, extra descriptors above 7 octets, more groups than
/// points, or group descriptors that do not fit in the data. With a bitmap the values are
/// spread over numberOfDataPoints points.
std::vector<float> decode(std::span<const std::uint8_t> packed, const Parameters &parameters,
                          int spatialOrder, int extraDescriptorOctets,
                          std::optional<std::span<const std::uint8_t>> bitmap = std::nullopt);

} // namespace ComplexPacking
