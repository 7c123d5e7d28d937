// Splits a buffer of GRIB edition 2 messages into fields. Pure: no state between calls, any
// thread. Sections are sliced from the buffer, not copied, so the returned messages refer to the
// caller's bytes. Throws GRIB2ParseError; no partial list is returned with an error.
#pragma once

#include "grib/GRIB2Error.h"
#include "grib/GRIB2Message.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class GRIB2MessageParser
{
public:
    using ParseError = GRIB2ParseError;

    /// The most points a grid may have (the global 0.25° grid has about a million). Counts above
    /// it are refused as invalid data before anything is allocated for them.
    static constexpr std::uint32_t maximumNumberOfDataPoints = std::uint32_t(1) << 26;

    /// One message per data section (section 7), in buffer order, each with the sections 3 to 6
    /// in force at that point; bytes before, between and after messages are skipped. A message
    /// that lacks section 3, 4, 5 or 7 is dropped without an error.
    static std::vector<GRIB2Message> parseMessages(std::span<const std::uint8_t> buffer);

    /// Big-endian unsigned reads at an absolute index; `outOfBounds` past the buffer's end.
    static std::uint64_t readUInt64(std::span<const std::uint8_t> buffer, std::size_t index);
    static std::uint32_t readUInt32(std::span<const std::uint8_t> buffer, std::size_t index);
    static std::uint16_t readUInt16(std::span<const std::uint8_t> buffer, std::size_t index);
    /// The first index at or after `start` where "GRIB" stands, or nothing.
    static std::optional<std::size_t> findMagic(std::span<const std::uint8_t> buffer, std::size_t start);

    /// Section readers; `section` starts at the section's length field, `base` is its offset in
    /// the buffer (for error texts).
    static GRIB2Grid parseGridDefinition(std::span<const std::uint8_t> section, std::size_t base = 0);
    static GRIB2Product parseProductDefinition(std::span<const std::uint8_t> section, int discipline,
                                               std::size_t base = 0);
    /// Never throws for the section's content: unknown or short templates give `Unsupported`.
    static GRIB2DataRepresentation parseDataRepresentation(std::span<const std::uint8_t> section,
                                                           std::size_t base = 0);
    static std::optional<ComplexPacking::Parameters>
    parseComplexPackingParameters(std::span<const std::uint8_t> section, std::size_t base = 0);
};
