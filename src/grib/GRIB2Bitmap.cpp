// Bitmap expansion; see GRIB2Bitmap.h.
#include "grib/GRIB2Bitmap.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace GRIB2Bitmap {

std::vector<float> applyBitmap(std::span<const float> packedValues, std::span<const std::uint8_t> bitmap,
                               std::uint32_t numberOfDataPoints)
{
    std::vector<float> values(numberOfDataPoints, std::numeric_limits<float>::quiet_NaN());
    const std::size_t points = std::min<std::size_t>(numberOfDataPoints, bitmap.size() * 8);
    std::size_t next = 0;
    for (std::size_t i = 0; i < points; ++i) {
        if (bitmap[i >> 3] & (0x80u >> (i & 7))) {
            if (next < packedValues.size())
                values[i] = packedValues[next];
            ++next;
        }
    }
    return values;
}

std::size_t countSetBits(std::span<const std::uint8_t> bitmap, std::uint32_t numberOfDataPoints)
{
    const std::size_t points = std::min<std::size_t>(numberOfDataPoints, bitmap.size() * 8);
    std::size_t count = 0;
    for (std::size_t octet = 0; octet < points / 8; ++octet)
        count += std::popcount(static_cast<unsigned>(bitmap[octet]));
    if (points % 8)
        count += std::popcount(static_cast<unsigned>(bitmap[points / 8] >> (8 - points % 8)));
    return count;
}

} // namespace GRIB2Bitmap
