// The message walk and section readers on hand-built messages: a table of mutations of one
// valid message, each giving records or the expected typed error.
#include "Grib2TestSupport.h"

#include "grib/GRIB2MessageParser.h"

#include <cmath>
#include <functional>

using namespace grib2test;
using Kind = GRIB2ParseError::Kind;

namespace {

Bytes concat(std::vector<Bytes> parts)
{
    Bytes all;
    for (const Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes simpleField(const Bytes &bitmap, const Bytes &data, std::uint32_t points = 8)
{
    return concat({simpleRepresentation(points, 0.0f, 0, 0, 8), bitmap, dataSection(data)});
}

struct ParseCase
{
    const char *name;
    Bytes bytes;
    std::optional<Kind> error;
    std::optional<std::int64_t> errorValue;
    std::size_t messages = 0;
};

std::vector<ParseCase> parseCases()
{
    const Bytes valid = smallSimpleMessage();
    auto mutated = [&](std::function<void(Bytes &)> change) {
        Bytes b = valid;
        change(b);
        return b;
    };
    const Bytes grid = gridLatLon(4, 2);
    const Bytes prod = product(0, 0);
    // Offsets within `valid`: indicator 16, section 1 21 octets, then section 3 at 37.
    const std::size_t section3 = 37;
    const std::size_t section4 = section3 + grid.size();
    return {
        {"valid", valid, std::nullopt, std::nullopt, 1},
        {"junk before and between", concat({Bytes{'x', 'G', 'R'}, valid, Bytes(7, 'z'), valid, Bytes{'G', 'R'}}),
         std::nullopt, std::nullopt, 2},
        {"no GRIB at all", Bytes(100, 'a'), std::nullopt, std::nullopt, 0},
        {"header cut after GRIB", Bytes{'G', 'R', 'I', 'B', 0, 0, 0, 2}, std::nullopt, std::nullopt, 0},
        {"edition 1", mutated([](Bytes &b) { b[7] = 1; }), Kind::invalidEdition, 1},
        {"total length one too long", mutated([](Bytes &b) { putUInt(b, 8, b.size() + 1, 8); }),
         Kind::truncatedMessage, std::nullopt},
        {"total length 0", mutated([](Bytes &b) { putUInt(b, 8, 0, 8); }), Kind::truncatedMessage, 0},
        {"total length all ones", mutated([](Bytes &b) { putUInt(b, 8, ~0ull, 8); }), Kind::truncatedMessage,
         std::nullopt},
        {"section length 4", mutated([&](Bytes &b) { putUInt(b, section3, 4, 4); }), Kind::truncatedSection, 4},
        {"section past message end", mutated([&](Bytes &b) { putUInt(b, section3, 10000, 4); }),
         Kind::truncatedSection, 10000},
        {"no section 7", message({grid, prod, simpleRepresentation(8, 0, 0, 0, 8)}), std::nullopt, std::nullopt, 0},
        {"grid template 10", mutated([&](Bytes &b) { putUInt(b, section3 + 12, 10, 2); }),
         Kind::unsupportedGridTemplate, 10},
        {"section 4 of 33 octets", message({grid, section(4, Bytes(28, 0)), simpleField(bitmapSection(255), {})}),
         Kind::truncatedSection, 33},
        {"section 4 of 34 octets", message({grid, section(4, Bytes(29, 0)), simpleField(bitmapSection(255), {})}),
         std::nullopt, std::nullopt, 1},
        {"section 3 of 37 octets", message({section(3, Bytes(32, 0)), prod, simpleField(bitmapSection(255), {})}),
         Kind::truncatedSection, 37},
        {"indicator 254 without an earlier bitmap", message({grid, prod, simpleField(bitmapSection(254), {})}),
         Kind::missingSectionData, 254},
        {"predefined bitmap", message({grid, prod, simpleField(bitmapSection(7), {})}), Kind::invalidData, 7},
        {"more packed points than grid points", message({grid, prod, simpleField(bitmapSection(255), {}, 9)}),
         Kind::invalidData, 9},
        {"grid over the point cap", mutated([&](Bytes &b) { putUInt(b, section3 + 6, (1u << 26) + 1, 4); }),
         Kind::invalidData, (1 << 26) + 1},
        {"two fields in one message", message({grid, prod, simpleField(bitmapSection(255), {}),
                                                product(2, 2), simpleField(bitmapSection(255), {})}),
         std::nullopt, std::nullopt, 2},
        {"section 4 length all ones", mutated([&](Bytes &b) { putUInt(b, section4, 0xFFFFFFFFu, 4); }),
         Kind::truncatedSection, 0xFFFFFFFFu},
    };
}

} // namespace

TEST(GRIB2MessageParser, MutationsOfAValidMessage)
{
    for (const ParseCase &c : parseCases()) {
        SCOPED_TRACE(c.name);
        try {
            const auto messages = GRIB2MessageParser::parseMessages(c.bytes);
            EXPECT_FALSE(c.error) << "expected " << GRIB2ParseError::name(*c.error);
            EXPECT_EQ(messages.size(), c.messages);
        } catch (const GRIB2ParseError &error) {
            ASSERT_TRUE(c.error) << error.what();
            EXPECT_EQ(error.kind(), *c.error) << error.what();
            EXPECT_EQ(error.value(), c.errorValue) << error.what();
            EXPECT_EQ(error.messageNumber(), 1) << error.what();
        }
    }
}

TEST(GRIB2MessageParser, ErrorTextNamesMessageAndOffset)
{
    Bytes second = smallSimpleMessage();
    second[7] = 3;
    const Bytes bytes = [&] {
        Bytes b = smallSimpleMessage();
        b.insert(b.end(), second.begin(), second.end());
        return b;
    }();
    try {
        GRIB2MessageParser::parseMessages(bytes);
        FAIL();
    } catch (const GRIB2ParseError &error) {
        EXPECT_EQ(error.messageNumber(), 2);
        EXPECT_EQ(error.byteOffset(), smallSimpleMessage().size() + 7);
        EXPECT_STREQ(error.what(), "invalidEdition(3): not edition 2 (message 2, byte 194)");
    }
}

TEST(GRIB2MessageParser, BitmapIndicators)
{
    const Bytes grid = gridLatLon(4, 2);
    const Bytes prod = product(0, 0);
    const Bytes bits = {0xF0};
    struct Case { const char *name; Bytes section6; std::optional<Bytes> bitmap; };
    const Case cases[] = {
        {"indicator 0", bitmapSection(0, bits), bits},
        {"indicator 255", bitmapSection(255), std::nullopt},
        {"indicator 0 in 6 octets", bitmapSection(0), std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = message({grid, prod, simpleField(c.section6, {1, 2, 3, 4}, 4)});
        const auto messages = GRIB2MessageParser::parseMessages(bytes);
        ASSERT_EQ(messages.size(), 1u);
        ASSERT_EQ(messages[0].bitmap.has_value(), c.bitmap.has_value());
        if (c.bitmap) {
            EXPECT_EQ(Bytes(messages[0].bitmap->begin(), messages[0].bitmap->end()), *c.bitmap);
        }
    }
}

TEST(GRIB2MessageParser, IndicatorTwoFiftyFourReusesTheMessagesBitmap)
{
    const Bytes bytes = message({gridLatLon(4, 2), product(2, 2, 103, 0, 10),
                                 simpleField(bitmapSection(0, {0xA0}), {10, 20}, 2),
                                 product(2, 3, 103, 0, 10), simpleField(bitmapSection(254), {30, 40}, 2)});
    const auto records = GRIB2Decoder::decodeMessages(bytes);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].variableName, "VGRD");
    EXPECT_EQ(records[1].values[0], 30.0f);
    EXPECT_TRUE(std::isnan(records[1].values[1]));
    EXPECT_EQ(records[1].values[2], 40.0f);
    EXPECT_TRUE(std::isnan(records[1].values[3]));
}

TEST(GRIB2MessageParser, SectionFields)
{
    Bytes lambert(81 - 5, 0);
    putUInt(lambert, 13 - 6, 30, 2);
    putUInt(lambert, 39 - 6, 0x80000001u, 4);
    putUInt(lambert, 43 - 6, 0x055D4A80u, 4);
    putUInt(lambert, 56 - 6, 3000000, 4);
    putUInt(lambert, 66 - 6, 25000000, 4);
    const GRIB2Grid grid = GRIB2MessageParser::parseGridDefinition(section(3, lambert));
    EXPECT_EQ(grid.gridTemplate, GRIB2Grid::Template::lambertConformal);
    EXPECT_DOUBLE_EQ(grid.latitudeOfFirstGridPoint, -0.000001);
    EXPECT_DOUBLE_EQ(grid.longitudeOfFirstGridPoint, 90.0);
    ASSERT_TRUE(grid.lambertConformalParameters);
    EXPECT_DOUBLE_EQ(grid.lambertConformalParameters->dx, 3000.0);
    EXPECT_DOUBLE_EQ(grid.lambertConformalParameters->latin1, 25.0);
    EXPECT_EQ(grid.latitudeOfLastGridPoint, 0);

    lambert.resize(72 - 5);
    expectParseError([&] { GRIB2MessageParser::parseGridDefinition(section(3, lambert)); }, Kind::truncatedSection);

    using GRIB2DataRepresentations::Unsupported;
    ComplexFields f;
    f.spatialOrder = 2;
    Bytes s5 = complexRepresentation(f);
    s5.pop_back();
    putUInt(s5, 0, s5.size(), 4);
    EXPECT_EQ(GRIB2MessageParser::parseDataRepresentation(s5), GRIB2DataRepresentation(Unsupported{3}));
    EXPECT_EQ(GRIB2MessageParser::parseDataRepresentation(section(5, Bytes(5, 0))), GRIB2DataRepresentation(Unsupported{-1}));
    EXPECT_EQ(GRIB2MessageParser::parseDataRepresentation(section(5, Bytes(10, 0))), GRIB2DataRepresentation(Unsupported{0}));

    EXPECT_EQ(GRIB2MessageParser::findMagic(Bytes{'G', 'R', 'I', 'B'}, 0), 0u);
    EXPECT_EQ(GRIB2MessageParser::findMagic(Bytes{'G', 'R', 'I', 'B'}, 1), std::nullopt);
    expectParseError([] { GRIB2MessageParser::readUInt32(Bytes{1, 2, 3}, 0); }, Kind::outOfBounds);
    EXPECT_EQ(GRIB2MessageParser::readUInt16(Bytes{1, 2, 3}, 1), 0x0203);
}
