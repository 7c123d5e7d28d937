// OpenJPEG stream callbacks over memory; see JPEG2000MemoryStream.h.
#include "grib/JPEG2000MemoryStream.h"

#include <algorithm>
#include <cstring>

OPJ_SIZE_T JPEG2000MemoryStream::read(void *buffer, OPJ_SIZE_T count, void *stream)
{
    auto *self = static_cast<JPEG2000MemoryStream *>(stream);
    if (!buffer || !self || self->mOffset >= self->mData.size())
        return static_cast<OPJ_SIZE_T>(-1);
    const std::uint64_t copied = std::min<std::uint64_t>(count, self->mData.size() - self->mOffset);
    std::memcpy(buffer, self->mData.data() + self->mOffset, copied);
    self->mOffset += copied;
    return static_cast<OPJ_SIZE_T>(copied);
}

OPJ_OFF_T JPEG2000MemoryStream::skip(OPJ_OFF_T count, void *stream)
{
    auto *self = static_cast<JPEG2000MemoryStream *>(stream);
    if (!self)
        return -1;
    const auto length = static_cast<OPJ_OFF_T>(self->mData.size());
    const auto offset = static_cast<OPJ_OFF_T>(self->mOffset);
    // Compare against the room on each side rather than adding, so no count can overflow.
    if (count < 0)
        self->mOffset = count < -offset ? 0 : static_cast<std::uint64_t>(offset + count);
    else
        self->mOffset = count > length - offset ? self->mData.size() : static_cast<std::uint64_t>(offset + count);
    return count;
}

OPJ_BOOL JPEG2000MemoryStream::seek(OPJ_OFF_T position, void *stream)
{
    auto *self = static_cast<JPEG2000MemoryStream *>(stream);
    if (!self || position < 0 || static_cast<std::uint64_t>(position) > self->mData.size())
        return OPJ_FALSE;
    self->mOffset = static_cast<std::uint64_t>(position);
    return OPJ_TRUE;
}

void JPEG2000MemoryStream::free(void *stream)
{
    delete static_cast<JPEG2000MemoryStream *>(stream);
}

opj_stream_t *JPEG2000MemoryStream::createStream(std::span<const std::uint8_t> data)
{
    auto *memory = new JPEG2000MemoryStream(data);
    opj_stream_t *stream = opj_stream_create(data.size(), OPJ_TRUE);
    if (!stream) {
        delete memory;
        return nullptr;
    }
    opj_stream_set_user_data(stream, memory, &JPEG2000MemoryStream::free);
    opj_stream_set_user_data_length(stream, data.size());
    opj_stream_set_read_function(stream, &JPEG2000MemoryStream::read);
    opj_stream_set_skip_function(stream, &JPEG2000MemoryStream::skip);
    opj_stream_set_seek_function(stream, &JPEG2000MemoryStream::seek);
    return stream;
}
