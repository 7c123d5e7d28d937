// Unpacking of GRIB2 data representation template 5.0 (simple packing): every present point is
// an unsigned integer of bitsPerValue bits, scaled by R, E and D. Stateless; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace SimplePacking {

/// Section 5 of templates 5.0 and 5.40.
struct Parameters
{
    float referenceValue = 0;  ///< R
    int binaryScaleFactor = 0;   ///< E
    int decimalScaleFactor = 0;  ///< D
    int bitsPerValue = 0;
    std::uint32_t numberOfDataPoints = 0;

    bool operator==(const Parameters &) const = default;
};

/// numberOfDataPoints values in packed order. With 0 bits per value every point is R unchanged
/// (a constant field); points past the end of the data read X = 0. The caller refuses widths
/// above 32 bits. With a bitmap, only its set bits are unpacked and the values are spread over
/// numberOfDataPoints points (absent ones NaN).
std::vector<float> decode(std::span<const std::uint8_t> packed, const Parameters &parameters,
                          std::optional<std::span<const std::uint8_t>> bitmap = std::nullopt);

} // namespace SimplePacking
