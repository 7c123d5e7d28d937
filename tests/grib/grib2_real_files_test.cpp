// Real GRIB2 files from several centres against the values ecCodes and a second decoder
// exported for them, and the stats driver against ecCodes' statistics.
#include "Grib2TestSupport.h"

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

using namespace grib2test;

namespace {

std::vector<double> listedValues(const std::string &name, std::size_t from, std::size_t count)
{
    std::ifstream file(dataPath("values/" + name));
    std::string line;
    std::vector<double> values;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        double lat, lon, value;
        if (fields >> lat >> lon >> value)  // skips each field's header line
            values.push_back(value);
    }
    EXPECT_GE(values.size(), from + count) << name;
    return std::vector<double>(values.begin() + from, values.begin() + std::min(values.size(), from + count));
}

std::vector<std::string> csvRows(const std::string &name)
{
    std::ifstream file(dataPath(name));
    std::vector<std::string> rows;
    std::string line;
    std::getline(file, line);
    while (std::getline(file, line))
        rows.push_back(line);
    return rows;
}

std::vector<std::string> splitFields(const std::string &line, char separator)
{
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, separator))
        fields.push_back(field);
    return fields;
}

} // namespace

TEST(GRIB2RealFiles, EqualTheirValueLists)
{
    struct Case { const char *file; const char *list; std::size_t field; int d; const char *name; const char *level; };
    const Case cases[] = {
        {"ecmwf_regular_latlon_2t_5.0_simple.grib2", "ecmwf_regular_latlon_2t_5.0_simple.eccodes_values.txt", 0, 0, "TMP", "2 m above ground"},
        {"pygrib_scanning_mode.grib2", "pygrib_scanning_mode.eccodes_values.txt", 0, 0, "TMP", "mean sea level"},
        {"gfs_2p5deg_2011011012_f120_2t_10u_10v.grib2", "gfs_2p5deg_2011011012_f120_2t_10u_10v.eccodes_values.txt", 0, 1, "TMP", "2 m above ground"},
        {"gfs_2p5deg_2011011012_f120_2t_10u_10v.grib2", "gfs_2p5deg_2011011012_f120_2t_10u_10v.eccodes_values.txt", 1, 2, "UGRD", "10 m above ground"},
        {"gfs_2p5deg_2011011012_f120_2t_10u_10v.grib2", "gfs_2p5deg_2011011012_f120_2t_10u_10v.eccodes_values.txt", 2, 2, "VGRD", "10 m above ground"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.file) + " field " + std::to_string(c.field));
        const auto records = GRIB2Decoder::decodeMessages(readFile(dataPath(c.file)));
        ASSERT_GT(records.size(), c.field);
        const GRIB2DecodedRecord &record = records[c.field];
        EXPECT_EQ(record.variableName, c.name);
        EXPECT_EQ(record.levelDescription, c.level);
        expectValuesMatch(record.values, listedValues(c.list, c.field * record.values.size(), record.values.size()), c.d);
    }
    EXPECT_EQ(GRIB2Decoder::decodeMessages(readFile(dataPath("gfs_2p5deg_2011011012_f120_2t_10u_10v.grib2"))).size(), 3u);
}

TEST(GRIB2RealFiles, GridFilterReplyEqualsItsFloatDump)
{
    const auto records = GRIB2Decoder::decodeMessages(readFile(dataPath("gfs_1p00_grib-filter_10m_wind_2018100618_f000.grib2")));
    ASSERT_EQ(records.size(), 2u);
    const Bytes dump = readFile(dataPath("values/gfs_1p00_grib-filter_10m_wind_2018100618_f000.grib2json-values-le-float32.bin"));
    ASSERT_EQ(dump.size(), 2 * 65160 * sizeof(float));
    for (std::size_t field = 0; field < 2; ++field) {
        SCOPED_TRACE(field);
        EXPECT_EQ(records[field].variableName, field == 0 ? "UGRD" : "VGRD");
        EXPECT_EQ(records[field].grid.width, 360u);
        EXPECT_EQ(records[field].grid.height, 181u);
        std::vector<double> expected(65160);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            float v;
            std::memcpy(&v, dump.data() + (field * 65160 + i) * sizeof(float), sizeof v);
            expected[i] = v;
        }
        expectValuesMatch(records[field].values, expected, 2);
    }
}

TEST(GRIB2RealFiles, MatchReferencePoints)
{
    const std::map<std::string, int> decimalScale = {
        {"gdas_0p25_2023011112_f000_VRATE_5.3.grib2", -3},
        {"cmc_glb_TMP_1hPa_2021051800_5.40_jpeg2000.grib2", 1},
        {"gfs_1p00_grib-filter_10m_wind_2018100618_f000.grib2", 2},
    };
    std::map<std::string, std::vector<GRIB2DecodedRecord>> decoded;
    int checked = 0;
    for (const std::string &row : csvRows("reference_points.csv")) {
        const auto f = splitFields(row, ',');
        const auto scale = decimalScale.find(f[0]);
        if (scale == decimalScale.end())
            continue;
        if (!decoded.count(f[0]))
            decoded[f[0]] = GRIB2Decoder::decodeMessages(readFile(dataPath(f[0])));
        SCOPED_TRACE(row);
        const auto &record = decoded[f[0]].at(std::stoul(f[1]) - 1);
        const std::size_t index = std::stoul(f[3]);
        ASSERT_LT(index, record.values.size());
        // Tolerance: a few float ulps of the packed value, back on the field's scale.
        const double expected = std::stod(f[8]);
        const double tolerance = 8 * std::pow(10.0, -scale->second) * 1e-7 * std::max(1.0, std::fabs(expected) * std::pow(10.0, scale->second)) + 1e-9;
        EXPECT_NEAR(record.values[index], expected, std::max(tolerance, 4e-5)) << index;
        ++checked;
    }
    EXPECT_GT(checked, 60);
}

TEST(GRIB2RealFiles, StatsDriverEqualsReferenceStats)
{
    if (std::string(GRIB2_STATS_PATH) == "false")
        GTEST_SKIP() << "the stats driver is built only with the benchmarks";
    for (const std::string &row : csvRows("reference_stats.csv")) {
        const auto ref = splitFields(row, ',');
        SCOPED_TRACE(row);
        const std::string table = run(std::string(GRIB2_STATS_PATH) + " '" + dataPath(ref[0]) + "'");
        const auto lines = splitFields(table, '\n');
        ASSERT_FALSE(lines.empty()) << "the stats driver wrote nothing";
        ASSERT_EQ(lines[0], "discipline\tcategory\tnumber\tname\tlevel\tnx\tny\tpresent\tmin\tmax\tmean");
        const std::size_t field = std::stoul(ref[1]);
        ASSERT_GT(lines.size(), field);
        const auto ours = splitFields(lines[field], '\t');
        ASSERT_EQ(ours.size(), 11u);
        EXPECT_EQ(ours[5], ref[7]);
        EXPECT_EQ(ours[6], ref[8]);
        EXPECT_EQ(std::stoul(ours[7]), std::stoul(ref[13]) - std::stoul(ref[14]));
        const double largest = std::max(std::fabs(std::stod(ref[15])), std::fabs(std::stod(ref[16])));
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(std::stod(ours[8 + k]), std::stod(ref[15 + k]), 1e-6 * largest + 1e-6) << k;
    }
}
