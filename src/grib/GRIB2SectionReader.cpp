// Bounds-checked field reads; see GRIB2SectionReader.h.
#include "grib/GRIB2SectionReader.h"

#include <bit>
#include <string>

std::uint64_t GRIB2SectionReader::unsignedValue(GRIB2Field field) const
{
    if (field.octet < 1 || field.width < 1 || field.width > 8 || !has(field)) {
        throw GRIB2ParseError(GRIB2ParseError::Kind::outOfBounds, std::nullopt,
                              std::string("field ") + field.name + " past the end of its section",
                              mBase + field.octet - 1);
    }
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < field.width; ++i)
        value = (value << 8) | mBytes[field.octet - 1 + i];
    return value;
}

std::int64_t GRIB2SectionReader::signedValue(GRIB2Field field) const
{
    const std::uint64_t raw = unsignedValue(field);
    const std::uint64_t signBit = std::uint64_t(1) << (8 * field.width - 1);
    const auto magnitude = static_cast<std::int64_t>(raw & (signBit - 1));
    return (raw & signBit) ? -magnitude : magnitude;
}

float GRIB2SectionReader::floatValue(GRIB2Field field) const
{
    return std::bit_cast<float>(static_cast<std::uint32_t>(unsignedValue(field)));
}

std::span<const std::uint8_t> GRIB2SectionReader::tail(std::size_t firstOctet) const
{
    if (firstOctet < 1 || firstOctet > mBytes.size())
        return {};
    return mBytes.subspan(firstOctet - 1);
}
