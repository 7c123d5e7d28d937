// The GRIB2 message walk: find "GRIB", check the indicator, walk the sections and emit one
// message per data section. Every count that sizes an allocation later is checked here or in
// the packings against the caps, so corrupt bytes cannot ask for gigabytes.
#include "grib/GRIB2MessageParser.h"

#include "grib/GRIB2SectionReader.h"
#include "grib/GRIB2Templates.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace T = GRIB2Templates;
using Kind = GRIB2ParseError::Kind;

namespace {

std::uint64_t readBigEndian(std::span<const std::uint8_t> buffer, std::size_t index, std::size_t width)
{
    if (index > buffer.size() || buffer.size() - index < width) {
        throw GRIB2ParseError(Kind::outOfBounds, std::nullopt,
                              "read of " + std::to_string(width) + " octets past the end", index);
    }
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = (value << 8) | buffer[index + i];
    return value;
}

bool startsWith(std::span<const std::uint8_t> buffer, std::size_t index, const char (&text)[5])
{
    return buffer.size() >= 4 && index <= buffer.size() - 4 && std::memcmp(buffer.data() + index, text, 4) == 0;
}

/// Sections 3 to 6 in force while walking one message.
struct MessageState
{
    int discipline = 0;
    std::optional<GRIB2Grid> grid;
    std::optional<GRIB2Product> product;
    std::optional<GRIB2DataRepresentation> dataRepresentation;
    std::size_t dataRepresentationOffset = 0;
    std::optional<std::span<const std::uint8_t>> bitmap;
    std::optional<std::span<const std::uint8_t>> lastDefinedBitmap;
};

std::optional<std::uint32_t> packedPointCount(const GRIB2DataRepresentation &representation)
{
    using namespace GRIB2DataRepresentations;
    if (const auto *r = std::get_if<Simple>(&representation))
        return r->parameters.numberOfDataPoints;
    if (const auto *r = std::get_if<Complex>(&representation))
        return r->parameters.numberOfDataPoints;
    if (const auto *r = std::get_if<ComplexSpatialDifferencing>(&representation))
        return r->parameters.numberOfDataPoints;
    if (const auto *r = std::get_if<JPEG2000>(&representation))
        return r->parameters.numberOfDataPoints;
    return std::nullopt;
}

void readBitmapSection(MessageState &state, std::span<const std::uint8_t> section, std::size_t base)
{
    const GRIB2SectionReader reader(section, base);
    if (!reader.has(T::Bitmap::indicator)) {
        state.bitmap.reset();
        return;
    }
    const auto indicator = reader.unsignedValue(T::Bitmap::indicator);
    if (indicator == 0 && section.size() >= T::Bitmap::firstBitmapOctet) {
        state.bitmap = reader.tail(T::Bitmap::firstBitmapOctet);
        state.lastDefinedBitmap = state.bitmap;
    } else if (indicator == 254) {
        // "The bitmap defined earlier in this message applies."
        if (!state.lastDefinedBitmap) {
            throw GRIB2ParseError(Kind::missingSectionData, 254,
                                  "bitmap indicator 254 without an earlier bitmap in the message", base + 5);
        }
        state.bitmap = state.lastDefinedBitmap;
    } else if (indicator >= 1 && indicator <= 253) {
        throw GRIB2ParseError(Kind::invalidData, static_cast<std::int64_t>(indicator),
                              "predefined bitmaps are not supported", base + 5);
    } else {
        state.bitmap.reset();
    }
}

std::optional<GRIB2Message> messageForData(const MessageState &state, std::span<const std::uint8_t> section,
                                           std::size_t base)
{
    if (!state.grid || !state.product || !state.dataRepresentation)
        return std::nullopt;
    const std::uint32_t gridPoints = state.grid->numberOfDataPoints;
    if (gridPoints > GRIB2MessageParser::maximumNumberOfDataPoints) {
        throw GRIB2ParseError(Kind::invalidData, gridPoints, "grid has more points than the decoder accepts", base);
    }
    const auto packedPoints = packedPointCount(*state.dataRepresentation);
    if (packedPoints && *packedPoints > gridPoints) {
        throw GRIB2ParseError(Kind::invalidData, *packedPoints,
                              "more packed points than the grid's " + std::to_string(gridPoints),
                              state.dataRepresentationOffset);
    }
    GRIB2Message message;
    message.discipline = state.discipline;
    message.grid = *state.grid;
    message.product = *state.product;
    message.dataRepresentation = *state.dataRepresentation;
    message.bitmap = state.bitmap;
    message.packedData = GRIB2SectionReader(section, base).tail(T::Data::firstDataOctet);
    message.dataOffset = base + T::Data::firstDataOctet - 1;
    return message;
}

/// Walks one message from its indicator to its end, appending a message per data section.
void parseMessage(std::span<const std::uint8_t> buffer, std::size_t start, std::size_t end, int discipline,
                  std::vector<GRIB2Message> &messages)
{
    MessageState state;
    state.discipline = discipline;
    std::size_t position = start + T::Indicator::length;
    while (end >= 4 && position < end - 4) {
        if (startsWith(buffer, position, "7777"))
            break;
        const std::uint32_t length = GRIB2MessageParser::readUInt32(buffer, position);
        const std::uint8_t number = buffer[position + 4];
        if (length < 5)
            throw GRIB2ParseError(Kind::truncatedSection, length, "section shorter than 5 octets", position);
        if (length > end - position)
            throw GRIB2ParseError(Kind::truncatedSection, length, "section runs past the message end", position);
        const auto section = buffer.subspan(position, length);
        switch (number) {
        case 3: state.grid = GRIB2MessageParser::parseGridDefinition(section, position); break;
        case 4: state.product = GRIB2MessageParser::parseProductDefinition(section, discipline, position); break;
        case 5:
            state.dataRepresentation = GRIB2MessageParser::parseDataRepresentation(section, position);
            state.dataRepresentationOffset = position;
            break;
        case 6: readBitmapSection(state, section, position); break;
        case 7:
            if (auto message = messageForData(state, section, position))
                messages.push_back(std::move(*message));
            break;
        default: break;  // sections 1 and 2, and anything unknown, are skipped by their length
        }
        position += length;
    }
}

} // namespace

std::vector<GRIB2Message> GRIB2MessageParser::parseMessages(std::span<const std::uint8_t> buffer)
{
    std::vector<GRIB2Message> messages;
    if (buffer.size() < 4)
        return messages;
    std::size_t search = 0;
    int messageNumber = 0;
    while (search < buffer.size() - 3) {
        const auto start = findMagic(buffer, search);
        if (!start || buffer.size() - *start < T::Indicator::length)
            break;
        ++messageNumber;
        const std::size_t firstField = messages.size();
        try {
            const GRIB2SectionReader indicator(buffer.subspan(*start, T::Indicator::length), *start);
            const auto discipline = static_cast<int>(indicator.unsignedValue(T::Indicator::discipline));
            const auto edition = indicator.unsignedValue(T::Indicator::edition);
            if (edition != 2)
                throw GRIB2ParseError(Kind::invalidEdition, static_cast<std::int64_t>(edition), "not edition 2", *start + 7);
            const std::uint64_t totalLength = indicator.unsignedValue(T::Indicator::totalLength);
            if (totalLength < T::Indicator::length) {
                throw GRIB2ParseError(Kind::truncatedMessage, static_cast<std::int64_t>(totalLength),
                                      "total length shorter than the indicator", *start + 8);
            }
            if (totalLength > buffer.size() - *start) {
                throw GRIB2ParseError(Kind::truncatedMessage, std::nullopt,
                                      "total length of " + std::to_string(totalLength) + " runs past the buffer", *start + 8);
            }
            const std::size_t end = *start + static_cast<std::size_t>(totalLength);
            parseMessage(buffer, *start, end, discipline, messages);
            for (std::size_t i = firstField; i < messages.size(); ++i)
                messages[i].messageNumber = messageNumber;
            search = end;
        } catch (const GRIB2ParseError &error) {
            throw error.located(messageNumber);
        }
    }
    return messages;
}

std::uint64_t GRIB2MessageParser::readUInt64(std::span<const std::uint8_t> buffer, std::size_t index)
{
    return readBigEndian(buffer, index, 8);
}

std::uint32_t GRIB2MessageParser::readUInt32(std::span<const std::uint8_t> buffer, std::size_t index)
{
    return static_cast<std::uint32_t>(readBigEndian(buffer, index, 4));
}

std::uint16_t GRIB2MessageParser::readUInt16(std::span<const std::uint8_t> buffer, std::size_t index)
{
    return static_cast<std::uint16_t>(readBigEndian(buffer, index, 2));
}

std::optional<std::size_t> GRIB2MessageParser::findMagic(std::span<const std::uint8_t> buffer, std::size_t start)
{
    static constexpr std::uint8_t magic[] = {'G', 'R', 'I', 'B'};
    if (buffer.size() < 4 || start > buffer.size() - 4)
        return std::nullopt;
    const auto found = std::search(buffer.begin() + start, buffer.end(), std::begin(magic), std::end(magic));
    if (found == buffer.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - buffer.begin());
}
