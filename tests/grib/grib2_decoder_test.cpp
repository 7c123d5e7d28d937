// The decoder's own behaviour: bitmap expansion, unsupported packings, level texts and
// parameter names.
#include "Grib2TestSupport.h"

#include "grib/GRIB2Bitmap.h"
#include "grib/ParameterTable.h"

#include <cmath>

using namespace grib2test;

TEST(GRIB2Decoder, BitmapExpansion)
{
    const float a = 1.5f, b = 2.5f;
    struct Case { const char *name; Bytes bitmap; std::vector<float> packed; std::uint32_t points; std::vector<int> expected; };
    // expected: index into packed, or -1 for NaN
    const Case cases[] = {
        {"1,0,1", {0xA0}, {a, b}, 3, {0, -1, 1}},
        {"more set bits than values", {0xE0}, {a, b}, 3, {0, 1, -1}},
        {"values left over", {0x80}, {a, b}, 2, {0, -1}},
        {"bitmap shorter than grid", {0xFF, 0xFF}, std::vector<float>(20, a), 20,
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, -1, -1, -1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto values = GRIB2Bitmap::applyBitmap(c.packed, c.bitmap, c.points);
        ASSERT_EQ(values.size(), c.expected.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (c.expected[i] < 0)
                EXPECT_EQ(std::bit_cast<std::uint32_t>(values[i]), 0x7FC00000u) << i;
            else
                EXPECT_EQ(values[i], c.packed[c.expected[i]]) << i;
        }
    }
}

TEST(GRIB2Decoder, NamesFieldsAndRefusesWhatItCannotUnpack)
{
    const auto records = GRIB2Decoder::decodeMessages(smallSimpleMessage());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].variableName, "TMP");
    EXPECT_EQ(records[0].levelDescription, "2 m above ground");
    EXPECT_EQ(records[0].values, (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7}));

    expectDecoderError([] { GRIB2Decoder::decodeMessages(Bytes(64, 'x')); }, GRIB2DecoderError::Kind::noMessagesFound);
    Bytes s5(16, 0);
    putUInt(s5, 10 - 6, 4, 2);
    const Bytes ieee = message({gridLatLon(4, 2), product(0, 0), section(5, s5), dataSection(Bytes(32, 0))});
    try {
        GRIB2Decoder::decodeMessages(ieee);
        FAIL();
    } catch (const GRIB2DecoderError &error) {
        EXPECT_EQ(error.kind(), GRIB2DecoderError::Kind::unsupportedPackingTemplate);
        EXPECT_EQ(error.value(), 4);
    }
}

TEST(GRIB2Decoder, LevelDescriptions)
{
    struct Case { int type, scale; std::int64_t value; std::optional<std::string> text; };
    const Case cases[] = {
        {103, 0, 10, "10 m above ground"},
        {103, 0, 2, "2 m above ground"},
        {100, 0, 50000, "500 mb"},
        {100, 0, 85000, "850 mb"},
        {106, 2, 10, "0.10 m below ground"},
        {102, 1, 15, "1 m above mean sea level"},
        {103, 0, -7, "-7 m above ground"},
        {108, 0, 3000, "30 mb above ground"},
        {1, 0, 0, "surface"},
        {200, 0, 0, "entire atmosphere (considered as a single layer)"},
        {251, 0, 0, "planetary boundary layer"},
        {9, 0, 0, std::nullopt},
        {103, -127, 2147483647, std::nullopt},  // beyond the 64-bit range
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(GRIB2Decoder::levelDescriptionForSurface(c.type, c.scale, c.value), c.text);
    }
}

TEST(GRIB2Decoder, ParameterTable)
{
    EXPECT_EQ(ParameterTable::size(), 193u);
    struct Case { int d, c, n; std::optional<std::string_view> name; };
    const Case cases[] = {
        {0, 2, 2, "UGRD"}, {0, 2, 3, "VGRD"}, {0, 0, 0, "TMP"}, {0, 0, 16, std::nullopt},
        {0, 3, 193, "5WAVH"}, {0, 7, 192, "CAPE"}, {0, 7, 6, "CAPE"}, {10, 3, 0, "WTMP"}, {1, 0, 0, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.d) + "/" + std::to_string(c.c) + "/" + std::to_string(c.n));
        EXPECT_EQ(ParameterTable::abbreviation({c.d, c.c, c.n}), c.name);
    }
    GRIB2Product product;
    product.parameterCategory = 2;
    product.parameterNumber = 2;
    product.firstSurfaceType = 103;
    product.firstSurfaceScaledValue = 10;
    EXPECT_EQ(product.parameterName(), "UGRD");
    EXPECT_EQ(product.surfaceDescription(), "10 m above ground");
}
