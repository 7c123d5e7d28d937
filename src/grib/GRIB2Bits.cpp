// Bit-level reads; see GRIB2Bits.h.
#include "grib/GRIB2Bits.h"

namespace GRIB2Bits {

std::vector<std::uint32_t> unpackBits(std::span<const std::uint8_t> data, std::uint64_t offset,
                                      std::int64_t count, int width)
{
    if (count < 1 || width < 1 || width > 32)
        return {};
    std::vector<std::uint32_t> values(static_cast<std::size_t>(count), 0);
    const auto w = static_cast<unsigned>(width);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::uint64_t position = offset + i * w;
        if ((position >> 3) >= data.size())
            break;
        values[i] = valueAt(data, position, w);
    }
    return values;
}

std::int64_t readSignMagnitude(std::span<const std::uint8_t> data, std::uint64_t octetIndex, int octets)
{
    if (octets < 1 || octets > 8 || octetIndex > data.size() || data.size() - octetIndex < std::uint64_t(octets))
        return 0;
    std::uint64_t raw = 0;
    for (int i = 0; i < octets; ++i)
        raw = (raw << 8) | data[octetIndex + i];
    const std::uint64_t signBit = std::uint64_t(1) << (8 * octets - 1);
    const auto magnitude = static_cast<std::int64_t>(raw & (signBit - 1));
    return (raw & signBit) ? -magnitude : magnitude;
}

} // namespace GRIB2Bits
