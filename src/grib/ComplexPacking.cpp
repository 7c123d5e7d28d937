// Complex packing with optional spatial differencing: one pass over the group descriptors, one
// over the group values, then the differencing is undone and the values scaled. Integer work is
// wrapping 64-bit arithmetic so corrupt data cannot overflow; valid data never wraps.
#include "grib/ComplexPacking.h"

#include "grib/GRIB2Bitmap.h"
#include "grib/GRIB2Bits.h"
#include "grib/GRIB2Error.h"
#include "grib/GRIB2Scaling.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

namespace ComplexPacking {

namespace {

constexpr int maximumWidth = 32;
constexpr int maximumExtraDescriptorOctets = 7;

[[noreturn]] void refuse(const std::string &reason, std::size_t offset = 0)
{
    throw GRIB2ParseError(GRIB2ParseError::Kind::invalidData, std::nullopt, reason, offset);
}

std::uint64_t alignToOctet(std::uint64_t bit) { return (bit + 7) & ~std::uint64_t(7); }

std::uint32_t allOnes(int width)
{
    return width >= 32 ? 0xFFFFFFFFu : (std::uint32_t(1) << width) - 1;
}

/// Which packed codes stand for missing points under the missing-value management.
struct MissingCodes
{
    int management = 0;
    bool isMissing(std::uint32_t code, int width) const
    {
        if (management < 1 || management > 2 || width < 1)
            return false;
        const std::uint32_t ones = allOnes(width);
        return code == ones || (management == 2 && code == ones - 1);
    }
};

struct Groups
{
    std::vector<std::uint32_t> references;
    std::vector<std::uint32_t> widths;
    std::vector<std::uint64_t> lengths;
    std::uint64_t totalLength = 0;  ///< saturates rather than wraps
};

void checkLayout(std::span<const std::uint8_t> packed, const Parameters &p, int descriptorOctets)
{
    for (int width : {p.bitsForGroupReferences, p.bitsForGroupWidths, p.bitsForGroupLengths}) {
        if (width > maximumWidth)
            refuse("group descriptor width of " + std::to_string(width) + " bits");
    }
    if (p.numberOfGroups > p.numberOfDataPoints)
        refuse(std::to_string(p.numberOfGroups) + " groups for " + std::to_string(p.numberOfDataPoints) + " points");
    const std::uint64_t groups = p.numberOfGroups;
    const std::uint64_t bits = std::uint64_t(descriptorOctets) * 8
        + alignToOctet(groups * std::max(p.bitsForGroupReferences, 0))
        + alignToOctet(groups * std::max(p.bitsForGroupWidths, 0))
        + alignToOctet(groups * std::max(p.bitsForGroupLengths, 0));
    if (bits > std::uint64_t(packed.size()) * 8)
        refuse("group descriptors of " + std::to_string(bits) + " bits in " + std::to_string(packed.size()) + " octets");
}

Groups readGroups(std::span<const std::uint8_t> packed, const Parameters &p, std::uint64_t &position)
{
    const std::size_t count = p.numberOfGroups;
    Groups groups;
    groups.references.assign(count, 0);
    if (p.bitsForGroupReferences >= 1) {
        for (std::size_t g = 0; g < count; ++g)
            groups.references[g] = GRIB2Bits::valueAt(packed, position + g * p.bitsForGroupReferences, p.bitsForGroupReferences);
        position += count * p.bitsForGroupReferences;
    }
    position = alignToOctet(position);

    groups.widths.assign(count, static_cast<std::uint32_t>(p.groupWidthReference));
    if (p.bitsForGroupWidths >= 1) {
        for (std::size_t g = 0; g < count; ++g)
            groups.widths[g] += GRIB2Bits::valueAt(packed, position + g * p.bitsForGroupWidths, p.bitsForGroupWidths);
        position += count * p.bitsForGroupWidths;
    }
    position = alignToOctet(position);

    groups.lengths.assign(count, p.groupLengthReference);
    if (p.bitsForGroupLengths >= 1) {
        for (std::size_t g = 0; g < count; ++g) {
            const std::uint32_t scaled = GRIB2Bits::valueAt(packed, position + g * p.bitsForGroupLengths, p.bitsForGroupLengths);
            groups.lengths[g] = std::uint64_t(scaled) * std::uint64_t(std::max(p.groupLengthIncrement, 0)) + p.groupLengthReference;
        }
        position += count * p.bitsForGroupLengths;
    }
    position = alignToOctet(position);
    groups.lengths.back() = p.lastGroupLength;

    for (std::uint64_t length : groups.lengths) {
        const std::uint64_t room = std::numeric_limits<std::uint64_t>::max() - groups.totalLength;
        groups.totalLength = length > room ? std::numeric_limits<std::uint64_t>::max() : groups.totalLength + length;
    }
    return groups;
}

/// `count` values of `width` bits from bit `position`, each plus `reference`. Bits past the data
/// read as zero; the bulk of a group takes the path without bounds tests.
void unpackGroup(std::span<const std::uint8_t> packed, std::uint64_t position, std::uint32_t width,
                 std::uint32_t reference, std::int64_t *out, std::size_t count)
{
    // Value j may be read without a bounds test while (position + j * width) / 8 + 8 <= size.
    std::size_t fast = 0;
    if (packed.size() >= 8) {
        const std::uint64_t room = (packed.size() - 8) * 8 + 7;
        if (room >= position)
            fast = std::min<std::uint64_t>(count, (room - position) / width + 1);
    }
    const std::uint8_t *bytes = packed.data();
    const unsigned shift = 64 - width;
    for (std::size_t j = 0; j < fast; ++j) {
        const std::uint64_t bit = position + j * width;
        std::uint64_t word;
        std::memcpy(&word, bytes + (bit >> 3), 8);
        if constexpr (std::endian::native == std::endian::little)
            word = __builtin_bswap64(word);
        out[j] = std::int64_t((word << (bit & 7)) >> shift) + reference;
    }
    for (std::size_t j = fast; j < count; ++j)
        out[j] = std::int64_t(GRIB2Bits::valueAt(packed, position + j * width, width)) + reference;
}

/// Undoes spatial differencing over the present values in place (wrapping arithmetic).
void undoDifferencing(std::vector<std::int64_t> &values, const std::vector<std::uint8_t> &missing,
                      int order, const std::vector<std::int64_t> &firstValues, std::int64_t minimum,
                      std::uint64_t totalLength)
{
    if (order < 1)
        return;
    const auto m = static_cast<std::uint64_t>(minimum);
    auto present = [&](std::size_t i) { return missing.empty() || !missing[i]; };
    const bool firstOrder = order == 1 && firstValues.size() >= 1 && totalLength >= 1;
    const bool secondOrder = order == 2 && firstValues.size() >= 2 && totalLength >= 2;
    if (!firstOrder && !secondOrder) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (present(i))
                values[i] = static_cast<std::int64_t>(static_cast<std::uint64_t>(values[i]) + m);
        }
        return;
    }
    if (missing.empty()) {
        // Every value present: the common case, without the per-point test.
        auto *v = reinterpret_cast<std::uint64_t *>(values.data());
        const std::size_t n = values.size();
        const std::size_t start = std::min<std::size_t>(n, static_cast<std::size_t>(order));
        for (std::size_t i = 0; i < start; ++i)
            v[i] = static_cast<std::uint64_t>(firstValues[i]);
        if (firstOrder) {
            for (std::size_t i = start; i < n; ++i)
                v[i] = v[i] + m + v[i - 1];
        } else {
            for (std::size_t i = start; i < n; ++i)
                v[i] = v[i] + m + 2 * v[i - 1] - v[i - 2];
        }
        return;
    }
    std::uint64_t previous = 0;
    std::uint64_t beforePrevious = 0;
    std::size_t seen = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!present(i))
            continue;
        std::uint64_t v;
        if (seen < static_cast<std::size_t>(order))
            v = static_cast<std::uint64_t>(firstValues[seen]);
        else if (firstOrder)
            v = static_cast<std::uint64_t>(values[i]) + m + previous;
        else
            v = static_cast<std::uint64_t>(values[i]) + m + 2 * previous - beforePrevious;
        values[i] = static_cast<std::int64_t>(v);
        beforePrevious = previous;
        previous = v;
        ++seen;
    }
}

std::vector<float> unpack(std::span<const std::uint8_t> packed, const Parameters &p, int spatialOrder,
                          int extraDescriptorOctets)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    if (p.numberOfGroups < 1)
        return std::vector<float>(p.numberOfDataPoints, nan);

    const bool hasDescriptors = spatialOrder >= 1 && extraDescriptorOctets >= 1;
    if (hasDescriptors && extraDescriptorOctets > maximumExtraDescriptorOctets)
        refuse("extra descriptors of " + std::to_string(extraDescriptorOctets) + " octets");
    checkLayout(packed, p, hasDescriptors ? (spatialOrder + 1) * extraDescriptorOctets : 0);

    std::uint64_t position = 0;
    std::vector<std::int64_t> firstValues;
    std::int64_t minimum = 0;
    if (hasDescriptors) {
        for (int i = 0; i <= spatialOrder; ++i) {
            const std::int64_t value = GRIB2Bits::readSignMagnitude(packed, position / 8, extraDescriptorOctets);
            if (i < spatialOrder)
                firstValues.push_back(value);
            else
                minimum = value;
            position += 8 * std::uint64_t(extraDescriptorOctets);
        }
    }

    const Groups groups = readGroups(packed, p, position);
    const std::size_t count = std::min<std::uint64_t>(groups.totalLength, p.numberOfDataPoints);
    std::vector<std::int64_t> values(count, 0);
    const MissingCodes codes{p.missingValueManagement};
    std::vector<std::uint8_t> missing;
    if (p.missingValueManagement == 1 || p.missingValueManagement == 2)
        missing.assign(count, 0);

    std::uint64_t point = 0;
    for (std::size_t g = 0; g < groups.lengths.size() && point < count; ++g) {
        const std::uint64_t length = groups.lengths[g];
        const std::uint32_t reference = groups.references[g];
        const std::uint32_t width = groups.widths[g];
        if (width > maximumWidth)
            refuse("group width of " + std::to_string(width) + " bits", position / 8);
        const std::size_t stored = std::min<std::uint64_t>(length, count - point);
        if (width == 0) {
            std::fill_n(values.begin() + point, stored, std::int64_t(reference));
            if (!missing.empty() && codes.isMissing(reference, p.bitsForGroupReferences))
                std::fill_n(missing.begin() + point, stored, std::uint8_t(1));
        } else {
            unpackGroup(packed, position, width, reference, values.data() + point, stored);
            if (!missing.empty()) {
                const std::int64_t ones = std::int64_t(allOnes(static_cast<int>(width))) + reference;
                for (std::size_t j = 0; j < stored; ++j) {
                    const std::int64_t v = values[point + j];
                    missing[point + j] = v == ones || (codes.management == 2 && v == ones - 1);
                }
            }
            position += length * width;
        }
        point += length;
    }

    undoDifferencing(values, missing, spatialOrder, firstValues, minimum, groups.totalLength);

    // Convert, then scale in a separate loop: int64 to float has no vector form on the baseline
    // x86-64, but the multiply, add and divide do.
    std::vector<float> result(p.numberOfDataPoints);
    float *out = result.data();
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<float>(values[i]);
    const GRIB2Scaling scale(p.referenceValue, p.binaryScaleFactor, p.decimalScaleFactor);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = scale(out[i]);
    std::fill(result.begin() + count, result.end(), nan);
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (missing[i])
            out[i] = nan;
    }
    return result;
}

} // namespace

std::vector<float> decode(std::span<const std::uint8_t> packed, const Parameters &parameters,
                          int spatialOrder, int extraDescriptorOctets,
                          std::optional<std::span<const std::uint8_t>> bitmap)
{
    std::vector<float> values = unpack(packed, parameters, spatialOrder, extraDescriptorOctets);
    if (!bitmap)
        return values;
    const std::size_t present = GRIB2Bitmap::countSetBits(*bitmap, parameters.numberOfDataPoints);
    values.resize(std::min(values.size(), present));
    return GRIB2Bitmap::applyBitmap(values, *bitmap, parameters.numberOfDataPoints);
}

} // namespace ComplexPacking
