// Helpers shared by the GRIB2 tests: reading files, running the ecCodes tools as an independent
// encoder and decoder, building small messages by hand, and comparing decoded values.
#pragma once

#include "grib/GRIB2Decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <cstdint>
#include <string>
#include <vector>

namespace grib2test {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::string &path);
void writeFile(const std::string &path, const Bytes &bytes);
/// tests/data/grib/<name>.
std::string dataPath(const std::string &name);
/// A fresh path in this test executable's output folder.
std::string outputPath(const std::string &name);

/// Runs a shell command; its standard output. A non-zero exit fails the current test.
std::string run(const std::string &command);
/// Exit status of a shell command (output discarded).
int status(const std::string &command);

/// `grib_get_data -m nan -F %.9g` of one field (1-based), values only.
std::vector<double> ecCodesValues(const std::string &path, int field = 1);
/// `grib_get -p keys` of one field, trimmed; `format` is grib_get's -F (for example "%.6f").
std::string ecCodesKeys(const std::string &path, const std::string &keys, int field = 1,
                        const std::string &format = {});

/// A grib_filter run that sets the values of `from` and writes `to`: `change(index, value)`
/// gives each point's new value, NaN for a missing point (a bitmap is then written).
template<typename Change>
void ecCodesSetValues(const std::string &from, const std::string &to, Change change);

/// Asserts equal lengths, NaN at exactly the same points, and values within a few float ulps
/// of the field's largest magnitude on the packed scale (times 10^D), divided back by 10^D.
void expectValuesMatch(const std::vector<float> &actual, const std::vector<double> &expected,
                       int decimalScaleFactor);

// Hand-built messages. Each function returns a whole section, length field included.
void putUInt(Bytes &bytes, std::size_t index, std::uint64_t value, int octets);
Bytes section(int number, const Bytes &content);
Bytes gridLatLon(std::uint32_t ni, std::uint32_t nj);
Bytes product(int category, int number, int surfaceType = 103, int scaleFactor = 0, std::uint32_t scaledValue = 10);
Bytes simpleRepresentation(std::uint32_t points, float r, int e, int d, int bits);
struct ComplexFields
{
    std::uint32_t points = 0;
    float r = 0;
    int e = 0, d = 0;
    int bitsForGroupReferences = 0, missingValueManagement = 0;
    std::uint32_t numberOfGroups = 0;
    int groupWidthReference = 0, bitsForGroupWidths = 0;
    std::uint32_t groupLengthReference = 0;
    int groupLengthIncrement = 1;
    std::uint32_t lastGroupLength = 0;
    int bitsForGroupLengths = 0;
    int spatialOrder = -1;  ///< -1: template 5.2, else 5.3
    int extraDescriptorOctets = 0;
};
Bytes complexRepresentation(const ComplexFields &fields);
Bytes bitmapSection(int indicator, const Bytes &bits = {});
Bytes dataSection(const Bytes &packed);
/// Indicator, a 21-octet section 1, the given sections and "7777".
Bytes message(const std::vector<Bytes> &sections, int discipline = 0);
/// A small valid simple-packed 4 × 2 message with values 0..7 (R 0, 8 bits).
Bytes smallSimpleMessage();

/// Packs MSB-first bit fields: {value, width} pairs, padded to whole octets.
Bytes packBits(const std::vector<std::pair<std::uint32_t, int>> &fields);

template<typename Call>
void expectParseError(Call call, GRIB2ParseError::Kind kind)
{
    try {
        call();
        ADD_FAILURE() << "expected " << GRIB2ParseError::name(kind);
    } catch (const GRIB2ParseError &error) {
        EXPECT_EQ(error.kind(), kind) << error.what();
    }
}

template<typename Call>
void expectDecoderError(Call call, GRIB2DecoderError::Kind kind)
{
    try {
        call();
        ADD_FAILURE() << "expected " << GRIB2DecoderError::name(kind);
    } catch (const GRIB2DecoderError &error) {
        EXPECT_EQ(error.kind(), kind) << error.what();
    }
}

// Defined here because it is a template.
template<typename Change>
void ecCodesSetValues(const std::string &from, const std::string &to, Change change)
{
    const std::vector<double> original = ecCodesValues(from);
    std::ostringstream rules;
    rules.precision(9);
    rules << "set bitmapPresent=1;\nset missingValue=9999;\nset values={";
    bool anyMissing = false;
    for (std::size_t i = 0; i < original.size(); ++i) {
        const double v = change(i, original[i]);
        anyMissing |= std::isnan(v);
        rules << (i ? "," : "") << (std::isnan(v) ? 9999.0 : v);
    }
    rules << "};\n";
    if (!anyMissing)
        rules << "set bitmapPresent=0;\n";
    rules << "write \"" << to << "\";\n";
    const std::string rulesPath = to + ".rules";
    const std::string text = rules.str();
    writeFile(rulesPath, Bytes(text.begin(), text.end()));
    run("grib_filter '" + rulesPath + "' '" + from + "'");
}

} // namespace grib2test
