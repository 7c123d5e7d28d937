// JPEG 2000 unpacking through OpenJPEG. Most of the time goes into OpenJPEG's code-block
// decoding, so the codec runs on as many threads as the machine has cores.
#include "grib/JPEG2000Packing.h"

#include "grib/GRIB2Error.h"
#include "grib/GRIB2Scaling.h"
#include "grib/JPEG2000MemoryStream.h"

#include <openjpeg.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>

namespace JPEG2000Packing {

namespace {

struct StreamDeleter { void operator()(opj_stream_t *s) const { opj_stream_destroy(s); } };
struct CodecDeleter { void operator()(opj_codec_t *c) const { opj_destroy_codec(c); } };
struct ImageDeleter { void operator()(opj_image_t *i) const { opj_image_destroy(i); } };

int decodingThreads()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

/// Decodes component 0 and hands its samples to `take` before the OpenJPEG objects go, so the
/// caller copies them out once. False when OpenJPEG fails or the image is empty.
template<typename Take>
bool withSamples(std::span<const std::uint8_t> codestream, std::uint64_t maximumSamples, Take take)
{
    if (codestream.empty())
        return false;
    // Declared in this order so they are destroyed image first, then codec, then stream.
    std::unique_ptr<opj_stream_t, StreamDeleter> stream(JPEG2000MemoryStream::createStream(codestream));
    if (!stream)
        return false;
    std::unique_ptr<opj_codec_t, CodecDeleter> codec(opj_create_decompress(OPJ_CODEC_J2K));
    if (!codec)
        return false;
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(codec.get(), &parameters))
        return false;
    opj_codec_set_threads(codec.get(), decodingThreads());

    opj_image_t *rawImage = nullptr;
    const bool headerRead = opj_read_header(stream.get(), codec.get(), &rawImage);
    std::unique_ptr<opj_image_t, ImageDeleter> image(rawImage);
    if (!headerRead || !image || image->numcomps < 1 || !image->comps)
        return false;

    const std::uint64_t width = image->comps[0].w;
    const std::uint64_t height = image->comps[0].h;
    if (width * height > maximumSamples) {
        throw GRIB2ParseError(GRIB2ParseError::Kind::invalidData, std::nullopt,
                              "JPEG 2000 image of " + std::to_string(width) + " x " + std::to_string(height)
                                  + " exceeds the grid's " + std::to_string(maximumSamples) + " points",
                              0);
    }
    const OPJ_UINT32 component = 0;
    if (!opj_set_decoded_components(codec.get(), 1, &component, OPJ_FALSE))
        return false;
    if (!opj_decode(codec.get(), stream.get(), image.get()))
        return false;

    const opj_image_comp_t &decoded = image->comps[0];
    if (decoded.w == 0 || decoded.h == 0 || !decoded.data
        || std::uint64_t(decoded.w) * decoded.h > maximumSamples)
        return false;
    take(std::span<const std::int32_t>(decoded.data, std::size_t(decoded.w) * decoded.h));
    return true;
}

} // namespace

std::optional<std::vector<std::int32_t>> decodeCodestream(std::span<const std::uint8_t> codestream,
                                                          std::uint64_t maximumSamples)
{
    std::vector<std::int32_t> samples;
    if (!withSamples(codestream, maximumSamples,
                     [&](std::span<const std::int32_t> s) { samples.assign(s.begin(), s.end()); }))
        return std::nullopt;
    return samples;
}

std::optional<std::vector<float>> decode(std::span<const std::uint8_t> packed, const Parameters &parameters,
                                         std::uint64_t maximumSamples)
{
    if (parameters.bitsPerValue == 0 && packed.empty())
        return std::vector<float>(parameters.numberOfDataPoints, parameters.referenceValue);
    const GRIB2Scaling scale(parameters.referenceValue, parameters.binaryScaleFactor,
                             parameters.decimalScaleFactor);
    std::vector<float> values;
    const bool decoded = withSamples(packed, maximumSamples, [&](std::span<const std::int32_t> samples) {
        values.resize(samples.size());
        const std::int32_t *in = samples.data();
        float *out = values.data();
        for (std::size_t i = 0; i < samples.size(); ++i)
            out[i] = scale(static_cast<float>(in[i]));
    });
    if (!decoded)
        return std::nullopt;
    return values;
}

} // namespace JPEG2000Packing
