// Errors of the GRIB2 decoder. Every failure is thrown as one of two kinds: the parser's
// `GRIB2ParseError` (the bytes are not a well-formed message) and the decoder's
// `GRIB2DecoderError` (a well-formed message the decoder cannot unpack). Both carry the 1-based
// number of the message and the absolute byte offset where the fault was found, so a log line
// can point at the byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

/// Common base: an optional integer (edition, template number), a reason, and the place.
class GRIB2Error : public std::runtime_error
{
public:
    std::optional<std::int64_t> value() const { return mValue; }
    const std::string &reason() const { return mReason; }
    /// 1-based number of the message in the buffer; 0 when not yet known.
    int messageNumber() const { return mMessageNumber; }
    std::size_t byteOffset() const { return mByteOffset; }

protected:
    GRIB2Error(const char *kindName, std::optional<std::int64_t> value, std::string reason,
               int messageNumber, std::size_t byteOffset);

private:
    std::optional<std::int64_t> mValue;
    std::string mReason;
    int mMessageNumber;
    std::size_t mByteOffset;
};

/// The bytes are not a message the parser accepts.
class GRIB2ParseError : public GRIB2Error
{
public:
    enum class Kind {
        invalidEdition,           ///< value: the edition octet
        unsupportedGridTemplate,  ///< value: the grid definition template number
        truncatedMessage,
        truncatedSection,
        outOfBounds,
        unsupportedProductTemplate,
        invalidMagic,
        missingSectionData,       ///< a section refers to one the message does not hold
        invalidData,              ///< counts or widths that contradict each other or exceed the caps
    };

    GRIB2ParseError(Kind kind, std::optional<std::int64_t> value, std::string reason,
                    std::size_t byteOffset, int messageNumber = 0);

    Kind kind() const { return mKind; }
    /// The same error placed in a message: the number filled in (kept when already set) and the
    /// offset moved by `baseOffset` (for faults found relative to a section's start).
    GRIB2ParseError located(int messageNumber, std::size_t baseOffset = 0) const;

    static const char *name(Kind kind);

private:
    Kind mKind;
};

/// A parsed message the decoder cannot turn into values.
class GRIB2DecoderError : public GRIB2Error
{
public:
    enum class Kind {
        unsupportedPackingTemplate,  ///< value: the data representation template number (-1: too short)
        noMessagesFound,
        jpeg2000DecodingFailed,
    };

    GRIB2DecoderError(Kind kind, std::optional<std::int64_t> value, std::string reason,
                      int messageNumber = 0, std::size_t byteOffset = 0);

    Kind kind() const { return mKind; }
    static const char *name(Kind kind);

private:
    Kind mKind;
};
