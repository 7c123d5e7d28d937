// Error texts of the GRIB2 decoder: "<kind>(<value>): <reason> (message <n>, byte <offset>)".
#include "grib/GRIB2Error.h"

namespace {

std::string describe(const char *kindName, std::optional<std::int64_t> value,
                     const std::string &reason, int messageNumber, std::size_t byteOffset)
{
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string.
    std::string text = kindName;
    if (value)
        text.append("(").append(std::to_string(*value)).append(")");
    if (!reason.empty())
        text.append(": ").append(reason);
    if (messageNumber > 0)
        text.append(" (message ").append(std::to_string(messageNumber)).append(", byte ");
    else
        text.append(" (byte ");
    text.append(std::to_string(byteOffset)).append(")");
    return text;
}

} // namespace

GRIB2Error::GRIB2Error(const char *kindName, std::optional<std::int64_t> value, std::string reason,
                       int messageNumber, std::size_t byteOffset)
    : std::runtime_error(describe(kindName, value, reason, messageNumber, byteOffset))
    , mValue(value)
    , mReason(std::move(reason))
    , mMessageNumber(messageNumber)
    , mByteOffset(byteOffset)
{
}

GRIB2ParseError::GRIB2ParseError(Kind kind, std::optional<std::int64_t> value, std::string reason,
                                 std::size_t byteOffset, int messageNumber)
    : GRIB2Error(name(kind), value, std::move(reason), messageNumber, byteOffset)
    , mKind(kind)
{
}

GRIB2ParseError GRIB2ParseError::located(int messageNumber, std::size_t baseOffset) const
{
    if (this->messageNumber() > 0)
        return *this;
    return GRIB2ParseError(mKind, value(), reason(), baseOffset + byteOffset(), messageNumber);
}

const char *GRIB2ParseError::name(Kind kind)
{
    switch (kind) {
    case Kind::invalidEdition: return "invalidEdition";
    case Kind::unsupportedGridTemplate: return "unsupportedGridTemplate";
    case Kind::truncatedMessage: return "truncatedMessage";
    case Kind::truncatedSection: return "truncatedSection";
    case Kind::outOfBounds: return "outOfBounds";
    case Kind::unsupportedProductTemplate: return "unsupportedProductTemplate";
    case Kind::invalidMagic: return "invalidMagic";
    case Kind::missingSectionData: return "missingSectionData";
    case Kind::invalidData: return "invalidData";
    }
    return "unknown";
}

GRIB2DecoderError::GRIB2DecoderError(Kind kind, std::optional<std::int64_t> value, std::string reason,
                                     int messageNumber, std::size_t byteOffset)
    : GRIB2Error(name(kind), value, std::move(reason), messageNumber, byteOffset)
    , mKind(kind)
{
}

const char *GRIB2DecoderError::name(Kind kind)
{
    switch (kind) {
    case Kind::unsupportedPackingTemplate: return "unsupportedPackingTemplate";
    case Kind::noMessagesFound: return "noMessagesFound";
    case Kind::jpeg2000DecodingFailed: return "jpeg2000DecodingFailed";
    }
    return "unknown";
}
