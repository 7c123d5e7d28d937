// Files made by ecCodes as an independent encoder: every packing at several widths and decimal
// scales, with and without a bitmap, constant fields, the other grid templates, and the
// packings and grids the decoder refuses. Values must equal `grib_get_data`.
#include "Grib2TestSupport.h"

#include "grib/GRIB2MessageParser.h"

#include <cmath>
#include <sstream>

using namespace grib2test;

namespace {

const std::string samples = "/usr/share/eccodes/samples/";

std::string quoted(const std::string &path) { return "'" + path + "'"; }

std::string source() { return dataPath("ecmwf_regular_latlon_2t_5.0_simple.grib2"); }

/// Repacks `from` with the packing, the width and the decimal scale, one grib_set run each.
/// ecCodes takes a decimal scale after the width for complex packing, but only as a change of
/// precision before the width for simple and JPEG 2000 packing.
std::string repack(const std::string &from, const std::string &packing, int bits, int decimalScale, const std::string &name)
{
    const std::string a = outputPath(name + ".a.grib2"), b = outputPath(name + ".b.grib2"), c = outputPath(name + ".grib2");
    const std::string width = "bitsPerValue=" + std::to_string(bits);
    run("grib_set -r -s packingType=" + packing + " " + quoted(from) + " " + quoted(a));
    if (packing.starts_with("grid_complex")) {
        run("grib_set -r -s " + width + " " + quoted(a) + " " + quoted(b));
        run("grib_set -r -s decimalScaleFactor=" + std::to_string(decimalScale) + " " + quoted(b) + " " + quoted(c));
    } else {
        run("grib_set -r -s changeDecimalPrecision=" + std::to_string(decimalScale) + " " + quoted(a) + " " + quoted(b));
        run("grib_set -r -s " + width + " " + quoted(b) + " " + quoted(c));
    }
    return c;
}

std::string withBitmap()
{
    static const std::string path = [] {
        const std::string p = outputPath("bitmap_source.grib2");
        ecCodesSetValues(source(), p, [](std::size_t i, double v) { return i % 10 == 3 ? NAN : v; });
        return p;
    }();
    return path;
}

void expectDecodesLikeEcCodes(const std::string &path)
{
    const auto records = GRIB2Decoder::decodeMessages(readFile(path));
    ASSERT_EQ(records.size(), 1u);
    const int d = std::stoi(ecCodesKeys(path, "decimalScaleFactor"));
    expectValuesMatch(records[0].values, ecCodesValues(path), d);
}

} // namespace

TEST(GRIB2EcCodesFiles, EveryPackingWidthAndScale)
{
    const char *packings[] = {"grid_simple", "grid_complex", "grid_complex_spatial_differencing", "grid_jpeg"};
    for (const std::string packing : packings) {
        std::vector<int> widths = {1, 12, 24};
        if (packing == "grid_simple")
            widths.insert(widths.end(), {27, 32});
        for (int bits : widths) {
            for (int d : {0, 1, 2}) {
                for (bool bitmap : {false, true}) {
                    const std::string name = packing + "_" + std::to_string(bits) + "_" + std::to_string(d) + (bitmap ? "_bitmap" : "");
                    SCOPED_TRACE(name);
                    const std::string path = repack(bitmap ? withBitmap() : source(), packing, bits, d, name);
                    EXPECT_EQ(ecCodesKeys(path, "packingType,decimalScaleFactor"), packing + " " + std::to_string(d));
                    EXPECT_EQ(ecCodesKeys(path, "bitmapPresent,numberOfMissing"), bitmap ? "1 50" : "0 0");
                    expectDecodesLikeEcCodes(path);
                }
            }
        }
    }
}

TEST(GRIB2EcCodesFiles, ConstantFields)
{
    const std::string constant = outputPath("constant.grib2");
    ecCodesSetValues(source(), constant, [](std::size_t, double) { return 273.15; });
    for (const std::string packing : {"grid_simple", "grid_jpeg", "grid_complex", "grid_complex_spatial_differencing"}) {
        SCOPED_TRACE(packing);
        const std::string path = outputPath("constant_" + packing + ".grib2");
        if (packing == "grid_simple" || packing == "grid_jpeg") {
            run("grib_set -r -s packingType=" + packing + " " + quoted(constant) + " " + quoted(path));
            EXPECT_EQ(ecCodesKeys(path, "bitsPerValue"), "0");
        } else {
            // Complex packing keeps its groups only when the values change after repacking.
            const std::string repacked = repack(source(), packing, 12, 1, "constant_" + packing + "_base");
            ecCodesSetValues(repacked, path, [](std::size_t, double) { return 273.15; });
        }
        EXPECT_EQ(ecCodesKeys(path, "packingType"), packing);
        expectDecodesLikeEcCodes(path);
    }
}

TEST(GRIB2EcCodesFiles, GridTemplatesGiveTheKeysEcCodesPrints)
{
    const std::string lambert = outputPath("lambert.grib2");
    run("grib_set -s gridType=lambert " + quoted(samples + "GRIB2.tmpl") + " " + quoted(lambert + ".a"));
    run("grib_set -s LaDInDegrees=25,LoVInDegrees=265,DxInMetres=3000,DyInMetres=2500,Latin1InDegrees=25,"
        "Latin2InDegrees=30,latitudeOfFirstGridPointInDegrees=-10.5,longitudeOfFirstGridPointInDegrees=226.5 "
        + quoted(lambert + ".a") + " " + quoted(lambert));
    struct Case { std::string path; GRIB2Grid::Template gridTemplate; bool lastPoint; };
    const Case cases[] = {
        {samples + "polar_stereographic_sfc_grib2.tmpl", GRIB2Grid::Template::polarStereographic, false},
        {samples + "gg_sfc_grib2.tmpl", GRIB2Grid::Template::gaussian, true},
        {lambert, GRIB2Grid::Template::lambertConformal, false},
    };
    auto degrees = [](double v) { std::ostringstream s; s.precision(6); s << std::fixed << v; return s.str(); };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        const auto records = GRIB2Decoder::decodeMessages(readFile(c.path));
        ASSERT_EQ(records.size(), 1u);
        const GRIB2Grid &grid = records[0].grid;
        EXPECT_EQ(grid.gridTemplate, c.gridTemplate);
        const std::string size = c.gridTemplate == GRIB2Grid::Template::gaussian ? "Ni,Nj" : "Nx,Ny";
        // A reduced Gaussian grid has no fixed row length: ecCodes prints MISSING for all ones.
        const std::string width = grid.width == 0xFFFFFFFFu ? "MISSING" : std::to_string(grid.width);
        EXPECT_EQ(ecCodesKeys(c.path, size + ",numberOfDataPoints"),
                  width + " " + std::to_string(grid.height) + " " + std::to_string(grid.numberOfDataPoints));
        std::string corners = "latitudeOfFirstGridPointInDegrees,longitudeOfFirstGridPointInDegrees";
        std::string ours = degrees(grid.latitudeOfFirstGridPoint) + " " + degrees(grid.longitudeOfFirstGridPoint);
        if (c.lastPoint) {
            corners += ",latitudeOfLastGridPointInDegrees,longitudeOfLastGridPointInDegrees";
            ours += " " + degrees(grid.latitudeOfLastGridPoint) + " " + degrees(grid.longitudeOfLastGridPoint);
        }
        EXPECT_EQ(ecCodesKeys(c.path, corners, 1, "%.6f"), ours);
        if (c.gridTemplate == GRIB2Grid::Template::lambertConformal) {
            ASSERT_TRUE(grid.lambertConformalParameters);
            const auto &l = *grid.lambertConformalParameters;
            EXPECT_EQ(ecCodesKeys(c.path, "LaDInDegrees,LoVInDegrees,DxInMetres,DyInMetres,Latin1InDegrees,Latin2InDegrees", 1, "%.6f"),
                      degrees(l.laD) + " " + degrees(l.loV) + " " + degrees(l.dx) + " " + degrees(l.dy) + " "
                          + degrees(l.latin1) + " " + degrees(l.latin2));
        }
        expectValuesMatch(records[0].values, ecCodesValues(c.path), std::stoi(ecCodesKeys(c.path, "decimalScaleFactor")));
    }
}

TEST(GRIB2EcCodesFiles, RefusedMessagesAmongGoodOnesFailTheWholeCall)
{
    const Bytes good = readFile(source());
    const std::string ieee = outputPath("ieee.grib2");
    run("grib_set -r -s packingType=grid_ieee " + quoted(source()) + " " + quoted(ieee));
    // PNG packing (5.41), which Debian's ecCodes cannot write: section 5's template number patched.
    Bytes png = good;
    const auto parsed = GRIB2MessageParser::parseMessages(good);
    ASSERT_EQ(parsed.size(), 1u);
    for (std::size_t at = 16; at + 5 < png.size();) {
        const std::uint32_t length = GRIB2MessageParser::readUInt32(png, at);
        if (png[at + 4] == 5) {
            putUInt(png, at + 9, 41, 2);
            break;
        }
        at += length;
    }
    using DK = GRIB2DecoderError::Kind;
    using PK = GRIB2ParseError::Kind;
    struct Case { const char *name; Bytes bad; bool parseError; int kind; std::optional<std::int64_t> value; };
    const Case cases[] = {
        {"grid_ieee", readFile(ieee), false, int(DK::unsupportedPackingTemplate), 4},
        {"PNG", png, false, int(DK::unsupportedPackingTemplate), 41},
        {"grid_ccsds", readFile(samples + "ccsds_grib2.tmpl"), false, int(DK::unsupportedPackingTemplate), 42},
        {"rotated grid", readFile(samples + "rotated_ll_sfc_grib2.tmpl"), true, int(PK::unsupportedGridTemplate), 1},
        {"spectral grid", readFile(samples + "lambert_bf_grib2.tmpl"), true, int(PK::unsupportedGridTemplate), 63},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = good;
        bytes.insert(bytes.end(), c.bad.begin(), c.bad.end());
        bytes.insert(bytes.end(), good.begin(), good.end());
        try {
            GRIB2Decoder::decodeMessages(bytes);
            ADD_FAILURE() << "decoded";
        } catch (const GRIB2ParseError &error) {
            EXPECT_TRUE(c.parseError) << error.what();
            EXPECT_EQ(int(error.kind()), c.kind) << error.what();
            EXPECT_EQ(error.value(), c.value);
            EXPECT_EQ(error.messageNumber(), 2);
        } catch (const GRIB2DecoderError &error) {
            EXPECT_FALSE(c.parseError) << error.what();
            EXPECT_EQ(int(error.kind()), c.kind) << error.what();
            EXPECT_EQ(error.value(), c.value);
            EXPECT_EQ(error.messageNumber(), 2);
        }
    }
    expectDecoderError([] { GRIB2Decoder::decodeMessages(Bytes(5000, 'G')); }, DK::noMessagesFound);
}
