// Unpacking of GRIB2 data representation template 5.40: section 7 is a raw JPEG 2000 codestream
// (J2K, not the JP2 file format) whose single component holds the packed integers, decoded with
// OpenJPEG and scaled like simple packing. Each call owns its OpenJPEG objects; any thread.
#pragma once

#include "grib/SimplePacking.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace JPEG2000Packing {

/// The same five fields as simple packing.
using Parameters = SimplePacking::Parameters;

/// Component 0 of the codestream, row after row; nothing when OpenJPEG cannot decode it or the
/// image is empty. An image of more than `maximumSamples` samples is refused from its header,
/// before decoding: GRIB2ParseError `invalidData`.
std::optional<std::vector<std::int32_t>> decodeCodestream(std::span<const std::uint8_t> codestream,
                                                          std::uint64_t maximumSamples);

/// The scaled samples (as many as the image has), or nothing when the codestream fails. With 0
/// bits per value and no data, numberOfDataPoints copies of R (a constant field).
std::optional<std::vector<float>> decode(std::span<const std::uint8_t> packed, const Parameters &parameters,
                                         std::uint64_t maximumSamples);

} // namespace JPEG2000Packing
