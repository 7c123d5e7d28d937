// Bit-level reads shared by the packings: fixed-width unsigned values packed most significant bit
// first, and sign-magnitude integers of whole octets. Reads past the data give zero bits, so a
// short section yields zeros rather than a fault.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace GRIB2Bits {

/// The value of `width` (1 to 32) bits at bit position `position`. Bits past the data read as 0;
/// a value whose first octet lies past the data is 0.
inline std::uint32_t valueAt(std::span<const std::uint8_t> data, std::uint64_t position, unsigned width)
{
    const std::uint64_t octet = position >> 3;
    if (octet >= data.size())
        return 0;
    std::uint64_t word = 0;
    if (octet + 8 <= data.size()) {
        std::memcpy(&word, data.data() + octet, 8);
        if constexpr (std::endian::native == std::endian::little)
            word = __builtin_bswap64(word);
    } else {
        for (std::uint64_t i = 0; i < 8; ++i)
            word = (word << 8) | (octet + i < data.size() ? data[octet + i] : 0);
    }
    word <<= (position & 7);
    return static_cast<std::uint32_t>(word >> (64 - width));
}

/// `count` values of `width` bits from bit `offset`. A count or width below 1 gives an empty
/// result; a width above 32 is the caller's to refuse (the values would not fit).
std::vector<std::uint32_t> unpackBits(std::span<const std::uint8_t> data, std::uint64_t offset,
                                      std::int64_t count, int width);

/// The sign-magnitude integer of `octets` octets at `octetIndex` (top bit the sign). 0 when
/// `octets` is below 1 or above 8, or when the octets run past the data.
std::int64_t readSignMagnitude(std::span<const std::uint8_t> data, std::uint64_t octetIndex, int octets);

/// The number of values `width` bits wide whose first bit lies before `endBit`, i.e. those a
/// caller may read with the fast path of `valueAt` without a bounds test.
inline std::uint64_t valuesReadableWithin(std::uint64_t sizeOctets, unsigned width)
{
    if (sizeOctets < 8)
        return 0;
    // Value i is safe while (i * width) / 8 + 8 <= size.
    return ((sizeOctets - 8) * 8) / width + 1;
}

} // namespace GRIB2Bits
