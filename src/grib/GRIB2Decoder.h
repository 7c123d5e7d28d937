// Entry of the GRIB edition 2 decoder: bytes of a GRIB2 file in, one named record per field
// out. Stateless (the parameter table is built once, thread-safely); any thread may call it.
#pragma once

#include "grib/GRIB2DecodedRecord.h"
#include "grib/GRIB2Error.h"
#include "grib/GRIB2Message.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class GRIB2Decoder
{
public:
    using Error = GRIB2DecoderError;

    /// Every field of the buffer, in order. Throws GRIB2ParseError (malformed bytes, counts over
    /// the caps) and GRIB2DecoderError (no message, a packing it cannot unpack, a JPEG 2000
    /// codestream OpenJPEG cannot decode). An error in any field fails the whole call.
    static std::vector<GRIB2DecodedRecord> decodeMessages(std::span<const std::uint8_t> buffer);

    /// The values of one parsed message, bitmap applied.
    static std::vector<float> decodeValues(const GRIB2Message &message);

    /// A readable level for WMO code table 4.5 ("850 mb", "10 m above ground"), or nothing for
    /// surface types the table does not know and for levels beyond the 64-bit integer range.
    /// Locale-independent.
    static std::optional<std::string> levelDescriptionForSurface(int surfaceType, int scaleFactor,
                                                                 std::int64_t scaledValue);
};
