// Feeds a JPEG 2000 codestream held in memory to OpenJPEG: the read position over a byte span
// and the four stream callbacks. The OpenJPEG stream owns its MemoryStream (user data) and
// releases it through `free` when the stream is destroyed. The bytes must outlive the stream.
#pragma once

#include <openjpeg.h>

#include <cstdint>
#include <span>

class JPEG2000MemoryStream
{
public:
    explicit JPEG2000MemoryStream(std::span<const std::uint8_t> data) : mData(data) {}

    std::span<const std::uint8_t> data() const { return mData; }
    std::uint64_t offset() const { return mOffset; }

    /// Copies min(count, remaining) bytes and advances; (OPJ_SIZE_T)-1 when nothing is left or
    /// an argument is missing (OpenJPEG's end of stream).
    static OPJ_SIZE_T read(void *buffer, OPJ_SIZE_T count, void *stream);
    /// Moves the offset by count, clamped to the data; returns the count asked for (-1 without
    /// a stream).
    static OPJ_OFF_T skip(OPJ_OFF_T count, void *stream);
    /// Sets the offset when 0 <= position <= length; false otherwise, offset unchanged.
    static OPJ_BOOL seek(OPJ_OFF_T position, void *stream);
    /// Releases a MemoryStream made with `new`.
    static void free(void *stream);

    /// An OpenJPEG input stream over `data`, owning a new MemoryStream; nullptr on failure.
    static opj_stream_t *createStream(std::span<const std::uint8_t> data);

private:
    std::span<const std::uint8_t> mData;
    std::uint64_t mOffset = 0;
};
