// The decoder: parse, unpack each field with the packing its section 5 names, spread the values
// with the bitmap, name the field.
#include "grib/GRIB2Decoder.h"

#include "grib/ComplexPacking.h"
#include "grib/GRIB2Bitmap.h"
#include "grib/GRIB2MessageParser.h"
#include "grib/JPEG2000Packing.h"
#include "grib/SimplePacking.h"

#include <type_traits>

namespace {

template<class... Cases>
struct Overloaded : Cases...
{
    using Cases::operator()...;
};
template<class... Cases>
Overloaded(Cases...) -> Overloaded<Cases...>;

std::vector<float> unpack(const GRIB2Message &message)
{
    using namespace GRIB2DataRepresentations;
    return std::visit(
        Overloaded{
            [&](const Simple &r) {
                if (r.parameters.bitsPerValue > 32) {
                    throw GRIB2ParseError(GRIB2ParseError::Kind::invalidData, r.parameters.bitsPerValue,
                                          "more than 32 bits per value", 0);
                }
                return SimplePacking::decode(message.packedData, r.parameters);
            },
            [&](const Complex &r) { return ComplexPacking::decode(message.packedData, r.parameters, 0, 0); },
            [&](const ComplexSpatialDifferencing &r) {
                return ComplexPacking::decode(message.packedData, r.parameters, r.spatialOrder,
                                              r.extraDescriptorOctets);
            },
            [&](const JPEG2000 &r) {
                auto values = JPEG2000Packing::decode(message.packedData, r.parameters,
                                                      message.grid.numberOfDataPoints);
                if (!values) {
                    throw GRIB2DecoderError(GRIB2DecoderError::Kind::jpeg2000DecodingFailed, std::nullopt,
                                            "OpenJPEG could not decode the codestream", message.messageNumber,
                                            message.dataOffset);
                }
                return std::move(*values);
            },
            [&](const Unsupported &r) -> std::vector<float> {
                throw GRIB2DecoderError(GRIB2DecoderError::Kind::unsupportedPackingTemplate, r.templateNumber,
                                        "data representation template", message.messageNumber,
                                        message.dataOffset);
            },
        },
        message.dataRepresentation);
}

} // namespace

std::vector<float> GRIB2Decoder::decodeValues(const GRIB2Message &message)
{
    std::vector<float> values;
    try {
        values = unpack(message);
    } catch (const GRIB2ParseError &error) {
        throw error.located(message.messageNumber, message.dataOffset);
    }
    if (!message.bitmap)
        return values;
    return GRIB2Bitmap::applyBitmap(values, *message.bitmap, message.grid.numberOfDataPoints);
}

std::vector<GRIB2DecodedRecord> GRIB2Decoder::decodeMessages(std::span<const std::uint8_t> buffer)
{
    const std::vector<GRIB2Message> messages = GRIB2MessageParser::parseMessages(buffer);
    if (messages.empty()) {
        throw GRIB2DecoderError(GRIB2DecoderError::Kind::noMessagesFound, std::nullopt,
                                "no GRIB2 message in " + std::to_string(buffer.size()) + " bytes");
    }
    std::vector<GRIB2DecodedRecord> records;
    records.reserve(messages.size());
    for (const GRIB2Message &message : messages) {
        GRIB2DecodedRecord record;
        record.values = decodeValues(message);
        record.variableName = message.product.parameterName();
        record.levelDescription = message.product.surfaceDescription();
        record.product = message.product;
        record.grid = message.grid;
        records.push_back(std::move(record));
    }
    return records;
}
