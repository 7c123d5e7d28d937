// Fuzz target for the GRIB2 decoder: parse, then decode. Any input must end in records or a
// typed GRIB2 error; a crash, sanitizer report, hang or oversized allocation is a finding.
// Built with clang's libFuzzer when available, and replayed over the corpus by a plain main.
#include "grib/GRIB2Decoder.h"
#include "grib/GRIB2MessageParser.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        for (const GRIB2Message &message : GRIB2MessageParser::parseMessages(bytes))
            (void)GRIB2Decoder::decodeValues(message);
    } catch (const GRIB2Error &) {
    }
    try {
        (void)GRIB2Decoder::decodeMessages(bytes);
    } catch (const GRIB2Error &) {
    }
    return 0;
}
