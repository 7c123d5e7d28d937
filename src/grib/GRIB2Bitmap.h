// Bitmap expansion: the packings hold only the points whose bitmap bit is set; these spread them
// over the whole grid, absent points quiet NaN. Bit i is bit (7 - i mod 8) of octet i / 8.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace GRIB2Bitmap {

/// numberOfDataPoints values, all NaN but where a set bit takes the next packed value. Points
/// past the end of the bitmap stay NaN; packed values left over are ignored.
std::vector<float> applyBitmap(std::span<const float> packedValues, std::span<const std::uint8_t> bitmap,
                               std::uint32_t numberOfDataPoints);

/// Set bits among the first numberOfDataPoints bits (most significant bit first).
std::size_t countSetBits(std::span<const std::uint8_t> bitmap, std::uint32_t numberOfDataPoints);

} // namespace GRIB2Bitmap
