// Simple packing: one pass over the bits into the output, then one vectorisable scaling pass.
// The global 0.25° field has about a million points; this is the hot loop for template 5.0.
#include "grib/SimplePacking.h"

#include "grib/GRIB2Bitmap.h"
#include "grib/GRIB2Bits.h"
#include "grib/GRIB2Scaling.h"

#include <algorithm>

namespace SimplePacking {

namespace {

std::vector<float> unpack(std::span<const std::uint8_t> packed, const Parameters &parameters,
                          std::size_t count)
{
    if (parameters.bitsPerValue == 0)
        return std::vector<float>(count, parameters.referenceValue);

    std::vector<float> values(count);
    const auto width = static_cast<unsigned>(parameters.bitsPerValue);
    const std::uint64_t fast = std::min<std::uint64_t>(count, GRIB2Bits::valuesReadableWithin(packed.size(), width));
    const std::uint8_t *bytes = packed.data();
    for (std::uint64_t i = 0; i < fast; ++i) {
        const std::uint64_t position = i * width;
        std::uint64_t word;
        std::memcpy(&word, bytes + (position >> 3), 8);
        if constexpr (std::endian::native == std::endian::little)
            word = __builtin_bswap64(word);
        values[i] = static_cast<float>(static_cast<std::uint32_t>((word << (position & 7)) >> (64 - width)));
    }
    for (std::uint64_t i = fast; i < count; ++i)
        values[i] = static_cast<float>(GRIB2Bits::valueAt(packed, i * width, width));

    const GRIB2Scaling scale(parameters.referenceValue, parameters.binaryScaleFactor,
                             parameters.decimalScaleFactor);
    float *out = values.data();
    for (std::size_t i = 0; i < count; ++i)
        out[i] = scale(out[i]);
    return values;
}

} // namespace

std::vector<float> decode(std::span<const std::uint8_t> packed, const Parameters &parameters,
                          std::optional<std::span<const std::uint8_t>> bitmap)
{
    if (!bitmap)
        return unpack(packed, parameters, parameters.numberOfDataPoints);
    const std::size_t present = parameters.bitsPerValue == 0
        ? parameters.numberOfDataPoints
        : GRIB2Bitmap::countSetBits(*bitmap, parameters.numberOfDataPoints);
    return GRIB2Bitmap::applyBitmap(unpack(packed, parameters, present), *bitmap,
                                    parameters.numberOfDataPoints);
}

} // namespace SimplePacking
