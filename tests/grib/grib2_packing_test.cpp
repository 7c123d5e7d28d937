// The unpackers on hand-computed cases: bit unpacking, simple and complex packing (with
// spatial differencing and missing-value management), and the JPEG 2000 stream callbacks and
// failures.
#include "Grib2TestSupport.h"

#include "grib/ComplexPacking.h"
#include "grib/GRIB2Bits.h"
#include "grib/JPEG2000MemoryStream.h"
#include "grib/JPEG2000Packing.h"
#include "grib/SimplePacking.h"

#include <cmath>
#include <limits>

using namespace grib2test;

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

void expectSameFloats(const std::vector<float> &actual, const std::vector<float> &expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (std::isnan(expected[i]))
            EXPECT_TRUE(std::isnan(actual[i])) << i;
        else
            EXPECT_EQ(actual[i], expected[i]) << i;
    }
}

} // namespace

TEST(GRIB2Bits, UnpackBits)
{
    const Bytes bytes = packBits({{5, 3}, {0xDEADBEEF, 32}, {0x5ABCDEF, 27}, {1, 1}});
    EXPECT_EQ(GRIB2Bits::unpackBits(bytes, 3, 1, 32), (std::vector<std::uint32_t>{0xDEADBEEF}));
    EXPECT_EQ(GRIB2Bits::unpackBits(bytes, 35, 1, 27), (std::vector<std::uint32_t>{0x5ABCDEF}));
    EXPECT_EQ(GRIB2Bits::unpackBits(bytes, 0, 1, 3), (std::vector<std::uint32_t>{5}));
    // Past the data: missing low bits are zero, then the values stop.
    EXPECT_EQ(GRIB2Bits::unpackBits(Bytes{0xFF}, 4, 3, 8), (std::vector<std::uint32_t>{0xF0, 0, 0}));
    EXPECT_TRUE(GRIB2Bits::unpackBits(bytes, 0, 0, 8).empty());
    EXPECT_TRUE(GRIB2Bits::unpackBits(bytes, 0, 3, 0).empty());
    EXPECT_EQ(GRIB2Bits::readSignMagnitude(Bytes{0x80, 0x05}, 0, 2), -5);
    EXPECT_EQ(GRIB2Bits::readSignMagnitude(Bytes{0x80, 0x05}, 1, 2), 0);
}

TEST(SimplePacking, HandComputedCases)
{
    struct Case { const char *name; SimplePacking::Parameters p; Bytes data; std::vector<float> expected; };
    const Case cases[] = {
        {"0 bits is R unscaled", {5.0f, 0, 1, 0, 3}, {}, {5.0f, 5.0f, 5.0f}},
        {"12 bits, R 100, D 1", {100.0f, 0, 1, 12, 1}, packBits({{7, 12}}), {(7.0f * 1.0f + 100.0f) / 10.0f}},
        {"short data gives R / 10^D", {20.0f, 0, 1, 8, 5}, {1, 2, 3},
         {2.1f, 2.2f, 2.3f, 2.0f, 2.0f}},
        {"32 bits", {0.0f, 0, 0, 32, 2}, packBits({{0xFFFFFFFF, 32}, {1, 32}}), {4294967296.0f, 1.0f}},
        {"27 bits with E", {0.0f, -1, 0, 27, 2}, packBits({{0x5ABCDEF, 27}, {3, 27}}),
         {static_cast<float>(0x5ABCDEF) * 0.5f, 1.5f}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        expectSameFloats(SimplePacking::decode(c.data, c.p), c.expected);
    }
    EXPECT_FLOAT_EQ(SimplePacking::decode(packBits({{7, 12}}), {100.0f, 0, 1, 12, 1})[0], 10.7f);
}

TEST(ComplexPacking, HandComputedCases)
{
    auto params = [](std::uint32_t points, std::uint32_t groups) {
        ComplexPacking::Parameters p;
        p.numberOfDataPoints = points;
        p.numberOfGroups = groups;
        p.groupLengthIncrement = 1;
        return p;
    };
    struct Case { const char *name; ComplexPacking::Parameters p; int order, octets; Bytes data; std::vector<float> expected; };
    std::vector<Case> cases;
    cases.push_back({"no groups", params(4, 0), 0, 0, {}, {NaN, NaN, NaN, NaN}});
    {
        // Two groups of width 0: every point is its group's reference. References 3 and 9 (4 bits).
        auto p = params(4, 2);
        p.bitsForGroupReferences = 4;
        p.groupLengthReference = 2;
        p.lastGroupLength = 2;
        cases.push_back({"width-0 groups", p, 0, 0, packBits({{3, 4}, {9, 4}}), {3, 3, 9, 9}});
    }
    {
        // Order 2: first values 10 and 12, minimum -1, packed 0 0 3 1 in one 2-bit group.
        auto p = params(4, 1);
        p.bitsForGroupReferences = 1;
        p.groupWidthReference = 2;
        p.lastGroupLength = 4;
        const Bytes data = packBits({{10, 8}, {12, 8}, {0x81, 8}, {0, 1}, {0, 7}, {0, 2}, {0, 2}, {3, 2}, {1, 2}});
        cases.push_back({"order 2", p, 2, 1, data, {10, 12, 16, 20}});
    }
    {
        // Order 1: first value 5, minimum 2, packed 0 1 0.
        auto p = params(3, 1);
        p.bitsForGroupReferences = 1;
        p.groupWidthReference = 1;
        p.lastGroupLength = 3;
        const Bytes data = packBits({{5, 8}, {2, 8}, {0, 1}, {0, 7}, {0, 1}, {1, 1}, {0, 1}});
        cases.push_back({"order 1", p, 1, 1, data, {5, 8, 10}});
    }
    {
        // Group lengths summing to 3 for 5 points: the tail is NaN.
        auto p = params(5, 1);
        p.bitsForGroupReferences = 8;
        p.lastGroupLength = 3;
        cases.push_back({"short groups", p, 0, 0, packBits({{7, 8}}), {7, 7, 7, NaN, NaN}});
    }
    {
        // Missing code 1: all ones in a 3-bit group, and a width-0 group whose 4-bit reference is all ones.
        auto p = params(5, 2);
        p.bitsForGroupReferences = 4;
        p.bitsForGroupWidths = 2;
        p.bitsForGroupLengths = 2;
        p.groupLengthReference = 0;
        p.lastGroupLength = 2;
        p.missingValueManagement = 1;
        const Bytes data = packBits({{1, 4}, {15, 4}, {3, 2}, {0, 2}, {0, 4}, {3, 2}, {2, 2}, {0, 4},
                                     {7, 3}, {6, 3}, {0, 3}});
        cases.push_back({"missing code 1", p, 0, 0, data, {NaN, 7, 1, NaN, NaN}});
        p.missingValueManagement = 2;
        cases.push_back({"missing code 2", p, 0, 0, data, {NaN, NaN, 1, NaN, NaN}});
    }
    {
        // Order 1 over present values only: 5, missing, 5 + (1 + 2).
        auto p = params(3, 1);
        p.bitsForGroupReferences = 1;
        p.groupWidthReference = 2;
        p.lastGroupLength = 3;
        p.missingValueManagement = 1;
        const Bytes data = packBits({{5, 8}, {2, 8}, {0, 1}, {0, 7}, {0, 2}, {3, 2}, {1, 2}});
        cases.push_back({"differencing skips missing", p, 1, 1, data, {5, NaN, 8}});
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        expectSameFloats(ComplexPacking::decode(c.data, c.p, c.order, c.octets), c.expected);
    }
}

TEST(ComplexPacking, RefusesCountsAndWidthsOverTheCaps)
{
    auto base = [] {
        ComplexPacking::Parameters p;
        p.numberOfDataPoints = 4;
        p.numberOfGroups = 1;
        p.bitsForGroupReferences = 8;
        p.lastGroupLength = 4;
        return p;
    };
    struct Case { const char *name; ComplexPacking::Parameters p; int order, octets; };
    std::vector<Case> cases;
    auto p = base();
    p.numberOfGroups = 5;
    cases.push_back({"more groups than points", p, 0, 0});
    p = base();
    p.bitsForGroupLengths = 33;
    cases.push_back({"descriptor width 33", p, 0, 0});
    p = base();
    p.groupWidthReference = 33;
    cases.push_back({"group width 33", p, 0, 0});
    cases.push_back({"extra descriptors of 8 octets", base(), 1, 8});
    p = base();
    p.numberOfGroups = 4;
    p.bitsForGroupWidths = 32;
    cases.push_back({"descriptors past the data", p, 0, 0});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        expectParseError([&] { ComplexPacking::decode(Bytes(8, 0), c.p, c.order, c.octets); },
                         GRIB2ParseError::Kind::invalidData);
    }
}

TEST(JPEG2000MemoryStream, Callbacks)
{
    const Bytes data(44, 7);
    JPEG2000MemoryStream stream(data);
    Bytes buffer(100);
    EXPECT_EQ(JPEG2000MemoryStream::skip(4, &stream), 4);
    struct Step { const char *name; std::function<std::int64_t()> call; std::int64_t result; std::uint64_t offset; };
    const Step steps[] = {
        {"read 100 with 40 left", [&] { return std::int64_t(JPEG2000MemoryStream::read(buffer.data(), 100, &stream)); }, 40, 44},
        {"read at the end", [&] { return std::int64_t(JPEG2000MemoryStream::read(buffer.data(), 100, &stream)); }, -1, 44},
        {"seek to the length", [&] { return std::int64_t(JPEG2000MemoryStream::seek(44, &stream)); }, 1, 44},
        {"seek one beyond", [&] { return std::int64_t(JPEG2000MemoryStream::seek(45, &stream)); }, 0, 44},
        {"seek to 4", [&] { return std::int64_t(JPEG2000MemoryStream::seek(4, &stream)); }, 1, 4},
        {"skip -10 at 4", [&] { return std::int64_t(JPEG2000MemoryStream::skip(-10, &stream)); }, -10, 0},
        {"skip past the end", [&] { return std::int64_t(JPEG2000MemoryStream::skip(1000, &stream)); }, 1000, 44},
        {"read without a buffer", [&] { return std::int64_t(JPEG2000MemoryStream::read(nullptr, 1, &stream)); }, -1, 44},
        {"skip without a stream", [&] { return std::int64_t(JPEG2000MemoryStream::skip(1, nullptr)); }, -1, 44},
        {"seek without a stream", [&] { return std::int64_t(JPEG2000MemoryStream::seek(1, nullptr)); }, 0, 44},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_EQ(step.call(), step.result);
        EXPECT_EQ(stream.offset(), step.offset);
    }
}

TEST(JPEG2000Packing, DecodesACodestreamFromAnIndependentEncoder)
{
    // A 5 × 3 greyscale image with 8-bit samples, compressed losslessly by opj_compress.
    const std::string pgm = outputPath("small.pgm");
    const std::string j2k = outputPath("small.j2k");
    Bytes image = {'P', '5', '\n', '5', ' ', '3', '\n', '2', '5', '5', '\n'};
    std::vector<float> pixels;
    for (int i = 0; i < 15; ++i) {
        image.push_back(static_cast<std::uint8_t>(i * 17));
        pixels.push_back((i * 17 * 2.0f + 1.0f) / 10.0f);
    }
    writeFile(pgm, image);
    run("opj_compress -n 1 -i '" + pgm + "' -o '" + j2k + "' >/dev/null");
    const Bytes codestream = readFile(j2k);

    const auto values = JPEG2000Packing::decode(codestream, {1.0f, 1, 1, 8, 15}, 15);
    ASSERT_TRUE(values);
    expectSameFloats(*values, pixels);
    // Bits per value 0 with data present still decodes the codestream.
    EXPECT_EQ(JPEG2000Packing::decode(codestream, {1.0f, 1, 1, 0, 15}, 15)->size(), 15u);
    // The image is checked against the grid before decoding.
    expectParseError([&] { JPEG2000Packing::decode(codestream, {0, 0, 0, 8, 15}, 14); },
                     GRIB2ParseError::Kind::invalidData);
}

TEST(JPEG2000Packing, FailuresGiveNoResult)
{
    const std::string pgm = outputPath("fail.pgm");
    const std::string j2k = outputPath("fail.j2k");
    const std::string jp2 = outputPath("fail.jp2");
    Bytes image = {'P', '5', '\n', '4', ' ', '4', '\n', '2', '5', '5', '\n'};
    image.resize(image.size() + 16, 99);
    writeFile(pgm, image);
    run("opj_compress -n 1 -i '" + pgm + "' -o '" + j2k + "' >/dev/null && opj_compress -n 1 -i '" + pgm + "' -o '" + jp2 + "' >/dev/null");
    Bytes truncated = readFile(j2k);
    truncated.resize(truncated.size() / 2);

    EXPECT_EQ(*JPEG2000Packing::decode({}, {2.5f, 0, 3, 0, 3}, 3), (std::vector<float>{2.5f, 2.5f, 2.5f}));
    struct Case { const char *name; Bytes data; };
    const Case cases[] = {
        {"8 bits with empty data", {}},
        {"JP2 file format", readFile(jp2)},
        {"truncated codestream", truncated},
        {"garbage", Bytes(40, 0xFF)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(JPEG2000Packing::decode(c.data, {0, 0, 0, 8, 16}, 16));
        const Bytes bytes = message({gridLatLon(4, 4), product(0, 0),
                                     section(5, [] { Bytes s = simpleRepresentation(16, 0, 0, 0, 8); s.erase(s.begin(), s.begin() + 5); putUInt(s, 4, 40, 2); return s; }()),
                                     dataSection(c.data)});
        expectDecoderError([&] { GRIB2Decoder::decodeMessages(bytes); }, GRIB2DecoderError::Kind::jpeg2000DecodingFailed);
    }
}
