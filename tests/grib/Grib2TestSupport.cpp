// Helpers shared by the GRIB2 tests; see Grib2TestSupport.h.
#include "Grib2TestSupport.h"

#include "support/TestHelpers.h"

#include <bit>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

namespace grib2test {

Bytes readFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.good()) << path;
    return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void writeFile(const std::string &path, const Bytes &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string dataPath(const std::string &name)
{
    return testDataPath(QString::fromStdString("grib/" + name)).toStdString();
}

std::string outputPath(const std::string &name)
{
    return testOutputPath(QString::fromStdString(name)).toStdString();
}

std::string run(const std::string &command)
{
    std::string output;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return output;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int rc = pclose(pipe);
    EXPECT_EQ(rc, 0) << command;
    return output;
}

int status(const std::string &command)
{
    return std::system((command + " >/dev/null 2>&1").c_str());
}

std::vector<double> ecCodesValues(const std::string &path, int field)
{
    std::istringstream lines(run("grib_get_data -m nan -F %.9g -w count=" + std::to_string(field) + " '" + path + "'"));
    std::vector<double> values;
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string lat, lon, value;
        if (!(fields >> lat >> lon >> value))
            continue;
        values.push_back(value == "nan" ? std::numeric_limits<double>::quiet_NaN() : std::stod(value));
    }
    return values;
}

std::string ecCodesKeys(const std::string &path, const std::string &keys, int field, const std::string &format)
{
    const std::string formatOption = format.empty() ? "" : " -F '" + format + "'";
    std::string text = run("grib_get -w count=" + std::to_string(field) + formatOption + " -p " + keys + " '" + path + "'");
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

void expectValuesMatch(const std::vector<float> &actual, const std::vector<double> &expected, int decimalScaleFactor)
{
    ASSERT_EQ(actual.size(), expected.size());
    const double scale = std::pow(10.0, decimalScaleFactor);
    double largest = 0;
    for (double v : expected) {
        if (!std::isnan(v))
            largest = std::max(largest, std::fabs(v));
    }
    const double packedLargest = std::max(largest * scale, 1e-30);
    const double ulp = std::nextafter(static_cast<float>(packedLargest), INFINITY) - static_cast<float>(packedLargest);
    const double tolerance = 8 * ulp / scale + 1e-9 * largest;
    int mismatches = 0;
    for (std::size_t i = 0; i < actual.size() && mismatches < 5; ++i) {
        if (std::isnan(expected[i]) != std::isnan(actual[i])) {
            ADD_FAILURE() << "NaN mismatch at " << i << ": " << actual[i] << " vs " << expected[i];
            ++mismatches;
        } else if (!std::isnan(expected[i]) && std::fabs(actual[i] - expected[i]) > tolerance) {
            ADD_FAILURE() << "value " << i << ": " << actual[i] << " vs " << expected[i] << " (tolerance " << tolerance << ")";
            ++mismatches;
        }
    }
}

void putUInt(Bytes &bytes, std::size_t index, std::uint64_t value, int octets)
{
    for (int i = octets - 1; i >= 0; --i, value >>= 8)
        bytes[index + i] = static_cast<std::uint8_t>(value & 0xFF);
}

Bytes section(int number, const Bytes &content)
{
    Bytes s(5);
    putUInt(s, 0, content.size() + 5, 4);
    s[4] = static_cast<std::uint8_t>(number);
    s.insert(s.end(), content.begin(), content.end());
    return s;
}

Bytes gridLatLon(std::uint32_t ni, std::uint32_t nj)
{
    Bytes c(72 - 5, 0);
    putUInt(c, 6 - 6, 0, 1);
    putUInt(c, 7 - 6, ni * nj, 4);
    putUInt(c, 31 - 6, ni, 4);
    putUInt(c, 35 - 6, nj, 4);
    putUInt(c, 47 - 6, 90000000, 4);
    putUInt(c, 56 - 6, 0x80000000u | 90000000u, 4);
    putUInt(c, 60 - 6, 359000000, 4);
    return section(3, c);
}

Bytes product(int category, int number, int surfaceType, int scaleFactor, std::uint32_t scaledValue)
{
    Bytes c(34 - 5, 0);
    c[10 - 6] = static_cast<std::uint8_t>(category);
    c[11 - 6] = static_cast<std::uint8_t>(number);
    c[23 - 6] = static_cast<std::uint8_t>(surfaceType);
    c[24 - 6] = static_cast<std::uint8_t>(scaleFactor < 0 ? 0x80 | -scaleFactor : scaleFactor);
    putUInt(c, 25 - 6, scaledValue, 4);
    return section(4, c);
}

namespace {
std::uint32_t signMagnitude16(int v) { return v < 0 ? 0x8000u | static_cast<std::uint32_t>(-v) : static_cast<std::uint32_t>(v); }
} // namespace

Bytes simpleRepresentation(std::uint32_t points, float r, int e, int d, int bits)
{
    Bytes c(21 - 5, 0);
    putUInt(c, 6 - 6, points, 4);
    putUInt(c, 10 - 6, 0, 2);
    putUInt(c, 12 - 6, std::bit_cast<std::uint32_t>(r), 4);
    putUInt(c, 16 - 6, signMagnitude16(e), 2);
    putUInt(c, 18 - 6, signMagnitude16(d), 2);
    c[20 - 6] = static_cast<std::uint8_t>(bits);
    return section(5, c);
}

Bytes complexRepresentation(const ComplexFields &f)
{
    Bytes c((f.spatialOrder < 0 ? 47 : 49) - 5, 0);
    putUInt(c, 6 - 6, f.points, 4);
    putUInt(c, 10 - 6, f.spatialOrder < 0 ? 2 : 3, 2);
    putUInt(c, 12 - 6, std::bit_cast<std::uint32_t>(f.r), 4);
    putUInt(c, 16 - 6, signMagnitude16(f.e), 2);
    putUInt(c, 18 - 6, signMagnitude16(f.d), 2);
    c[20 - 6] = static_cast<std::uint8_t>(f.bitsForGroupReferences);
    c[23 - 6] = static_cast<std::uint8_t>(f.missingValueManagement);
    putUInt(c, 32 - 6, f.numberOfGroups, 4);
    c[36 - 6] = static_cast<std::uint8_t>(f.groupWidthReference);
    c[37 - 6] = static_cast<std::uint8_t>(f.bitsForGroupWidths);
    putUInt(c, 38 - 6, f.groupLengthReference, 4);
    c[42 - 6] = static_cast<std::uint8_t>(f.groupLengthIncrement);
    putUInt(c, 43 - 6, f.lastGroupLength, 4);
    c[47 - 6] = static_cast<std::uint8_t>(f.bitsForGroupLengths);
    if (f.spatialOrder >= 0) {
        c[48 - 6] = static_cast<std::uint8_t>(f.spatialOrder);
        c[49 - 6] = static_cast<std::uint8_t>(f.extraDescriptorOctets);
    }
    return section(5, c);
}

Bytes bitmapSection(int indicator, const Bytes &bits)
{
    Bytes c{static_cast<std::uint8_t>(indicator)};
    c.insert(c.end(), bits.begin(), bits.end());
    return section(6, c);
}

Bytes dataSection(const Bytes &packed)
{
    return section(7, packed);
}

Bytes message(const std::vector<Bytes> &sections, int discipline)
{
    Bytes m = {'G', 'R', 'I', 'B', 0, 0, static_cast<std::uint8_t>(discipline), 2, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes identification = section(1, Bytes(21 - 5, 0));
    m.insert(m.end(), identification.begin(), identification.end());
    for (const Bytes &s : sections)
        m.insert(m.end(), s.begin(), s.end());
    for (char c : std::string("7777"))
        m.push_back(static_cast<std::uint8_t>(c));
    putUInt(m, 8, m.size(), 8);
    return m;
}

Bytes smallSimpleMessage()
{
    return message({gridLatLon(4, 2), product(0, 0, 103, 0, 2), simpleRepresentation(8, 0.0f, 0, 0, 8),
                    bitmapSection(255), dataSection({0, 1, 2, 3, 4, 5, 6, 7})});
}

Bytes packBits(const std::vector<std::pair<std::uint32_t, int>> &fields)
{
    Bytes bytes;
    std::uint64_t bit = 0;
    for (const auto &[value, width] : fields) {
        for (int i = width - 1; i >= 0; --i, ++bit) {
            if (bytes.size() <= bit / 8)
                bytes.push_back(0);
            if ((value >> i) & 1)
                bytes[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8));
        }
    }
    return bytes;
}

} // namespace grib2test
