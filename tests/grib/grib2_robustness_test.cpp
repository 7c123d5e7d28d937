// Corrupt input: every prefix of small real and ecCodes-made files, and every length or count
// field set to 0, 1 or all ones, must give records or a typed error (never a crash, a hang or
// an allocation beyond the point cap). Meant to run under ASan and UBSan as well.
#include "Grib2TestSupport.h"

#include "grib/GRIB2MessageParser.h"
#include "grib/GRIB2Templates.h"

#include <cmath>

using namespace grib2test;
namespace T = GRIB2Templates;

namespace {

/// Decodes and checks the outcome is records within the cap or one of the decoder's errors.
void expectRecordsOrTypedError(const Bytes &bytes)
{
    try {
        for (const GRIB2DecodedRecord &record : GRIB2Decoder::decodeMessages(bytes))
            ASSERT_LE(record.values.size(), GRIB2MessageParser::maximumNumberOfDataPoints);
    } catch (const GRIB2Error &) {
        // a typed refusal is a good outcome
    }
}

std::string eccodesMade(const std::string &packing, bool bitmap)
{
    const std::string source = dataPath("ecmwf_regular_latlon_2t_5.0_simple.grib2");
    const std::string path = outputPath(packing + (bitmap ? "_bitmap" : "") + ".grib2");
    if (!bitmap) {
        run("grib_set -r -s packingType=" + packing + " '" + source + "' '" + path + "'");
        return path;
    }
    // A bitmap of every seventh point, then the packing.
    ecCodesSetValues(source, path + ".plain", [](std::size_t i, double v) { return i % 7 == 3 ? NAN : v; });
    run("grib_set -r -s packingType=" + packing + " '" + path + ".plain' '" + path + "'");
    return path;
}

struct Sample
{
    std::string name;
    Bytes bytes;
    std::size_t stride;
};

std::vector<Sample> samples()
{
    return {
        {"simple", readFile(dataPath("ecmwf_regular_latlon_2t_5.0_simple.grib2")), 1},
        {"scanning", readFile(dataPath("pygrib_scanning_mode.grib2")), 1},
        {"gfs 2.5 degree 5.3", readFile(dataPath("gfs_2p5deg_2011011012_f120_2t_10u_10v.grib2")), 61},
        {"ecCodes 5.3", readFile(eccodesMade("grid_complex_spatial_differencing", false)), 1},
        {"ecCodes 5.2 bitmap", readFile(eccodesMade("grid_complex", true)), 1},
        {"ecCodes 5.40", readFile(eccodesMade("grid_jpeg", false)), 3},
    };
}

} // namespace

TEST(GRIB2Robustness, EveryPrefix)
{
    for (const Sample &sample : samples()) {
        SCOPED_TRACE(sample.name);
        for (std::size_t length = 0; length < sample.bytes.size(); length += sample.stride) {
            Bytes prefix(sample.bytes.begin(), sample.bytes.begin() + length);
            expectRecordsOrTypedError(prefix);
            // The same cut with the total length saying so: the section walk meets the cut.
            if (length >= 16) {
                putUInt(prefix, 8, length, 8);
                expectRecordsOrTypedError(prefix);
            }
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(GRIB2Robustness, LengthAndCountFieldsAtTheirExtremes)
{
    namespace C = T::ComplexPacking;
    namespace D = T::DataRepresentation;
    const std::vector<std::pair<int, GRIB2Field>> fields = {
        {0, T::Indicator::totalLength},   {-1, T::SectionHeader::length},
        {3, T::Grid::numberOfDataPoints}, {3, T::Grid::ni},
        {3, T::Grid::nj},                 {5, D::numberOfDataPoints},
        {5, D::bitsPerValue},             {5, D::decimalScaleFactor},
        {5, D::binaryScaleFactor},        {5, C::originalFieldType},
        {5, C::missingValueManagement},   {5, C::numberOfGroups},
        {5, C::groupWidthReference},      {5, C::bitsForGroupWidths},
        {5, C::groupLengthReference},     {5, C::groupLengthIncrement},
        {5, C::lastGroupLength},          {5, C::bitsForGroupLengths},
        {5, C::spatialOrder},             {5, C::extraDescriptorOctets},
        {6, T::Bitmap::indicator},
    };
    for (const Sample &sample : samples()) {
        // Section starts of the first message.
        std::vector<std::pair<int, std::size_t>> sections = {{0, 0}};
        for (std::size_t at = 16; at + 5 <= sample.bytes.size() && sample.bytes[at] != '7';) {
            sections.emplace_back(sample.bytes[at + 4], at);
            at += GRIB2MessageParser::readUInt32(sample.bytes, at);
        }
        for (const auto &[number, start] : sections) {
            for (const auto &[fieldSection, field] : fields) {
                if (fieldSection != number && !(fieldSection == -1 && number > 0))
                    continue;
                if (start + field.octet - 1 + field.width > sample.bytes.size())
                    continue;
                const std::uint64_t allOnes = field.width >= 8 ? ~0ull : (1ull << (8 * field.width)) - 1;
                for (std::uint64_t value : {std::uint64_t(0), std::uint64_t(1), allOnes}) {
                    SCOPED_TRACE(sample.name + ", section " + std::to_string(number) + ", " + field.name + " = " + std::to_string(value));
                    Bytes bytes = sample.bytes;
                    putUInt(bytes, start + field.octet - 1, value, static_cast<int>(field.width));
                    expectRecordsOrTypedError(bytes);
                    if (HasFatalFailure())
                        return;
                }
            }
        }
    }
}
