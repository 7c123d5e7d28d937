// Unit conversions against the SI definitions published by NIST (SP 811, appendix B), and the
// exact values callers rely on.
#include "weather/OVUnitConversions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// NIST SI factors: 1 knot = 1852/3600 m/s, 1 mph = 0.44704 m/s (exact), 1 in = 0.0254 m
// (exact), 1 ft = 0.3048 m (exact), 1 inHg (0 °C) = 3386.389 Pa, 1 mbar = 100 Pa, and
// T(K) = t(°C) + 273.15, t(°F) = 1.8 t(°C) + 32.
constexpr double kKnotInMetresPerSecond = 1852.0 / 3600.0;
constexpr double kMileInMetresPerSecond = 0.44704;
constexpr double kInchInMetres = 0.0254;
constexpr double kFootInMetres = 0.3048;
constexpr double kInchOfMercuryInPascals = 3386.389;

struct Conversion
{
    const char *name;
    float (*convert)(float);
    float input;
    double expected;
};

} // namespace

TEST(UnitConversions, AgreeWithTheSiDefinitions)
{
    const Conversion table[] = {
        {"fahrenheitFromCelsius", &fahrenheitFromCelsius, 37.0f, 37.0 * 1.8 + 32},
        {"kelvinFromCelsius", &kelvinFromCelsius, -40.0f, -40.0 + 273.15},
        {"celsiusFromFahrenheit", &celsiusFromFahrenheit, 98.6f, (98.6 - 32) / 1.8},
        {"kelvinFromFahrenheit", &kelvinFromFahrenheit, 32.0f, 273.15},
        {"milesPerHourFromKnots", &milesPerHourFromKnots, 25.0f,
         25.0 * kKnotInMetresPerSecond / kMileInMetresPerSecond},
        {"kilometersPerHourFromKnots", &kilometersPerHourFromKnots, 25.0f,
         25.0 * kKnotInMetresPerSecond * 3.6},
        {"metersPerSecondFromKnots", &metersPerSecondFromKnots, 25.0f, 25.0 * kKnotInMetresPerSecond},
        {"millimetersFromInches", &millimetersFromInches, 1.37f, 1.37 * kInchInMetres * 1000},
        {"centimetersFromInches", &centimetersFromInches, 1.37f, 1.37 * kInchInMetres * 100},
        {"inchesFromMillimeters", &inchesFromMillimeters, 12.7f, 12.7 / 1000 / kInchInMetres},
        {"inchesFromCentimeters", &inchesFromCentimeters, 12.7f, 12.7 / 100 / kInchInMetres},
        {"metersFromFeet", &metersFromFeet, 5280.0f, 5280.0 * kFootInMetres},
        {"feetFromMeters", &feetFromMeters, 1609.344f, 1609.344 / kFootInMetres},
        {"inchesOfMercuryFromMillibars", &inchesOfMercuryFromMillibars, 1013.25f,
         1013.25 * 100 / kInchOfMercuryInPascals},
        {"kilopascalsFromMillibars", &kilopascalsFromMillibars, 1013.25f, 101.325},
    };
    for (const Conversion &row : table) {
        SCOPED_TRACE(row.name);
        // The program's factors are rounded to 6 or more significant digits.
        EXPECT_NEAR(row.convert(row.input), row.expected, std::fabs(row.expected) * 2e-6 + 1e-4);
    }
    EXPECT_NEAR(radiansFromDegrees(57.29577951308232), 1.0, 1e-15);
    EXPECT_NEAR(degreesFromRadians(1.0), 57.29577951308232, 1e-12);
}

TEST(UnitConversions, ExactValuesCallersRelyOn)
{
    EXPECT_EQ(fahrenheitFromCelsius(-40.0f), -40.0f);
    EXPECT_EQ(fahrenheitFromCelsius(100.0f), 212.0f);
    // No special case for the missing-value marker: callers test for it first.
    EXPECT_EQ(celsiusFromFahrenheit(-1000.0f), float((-1000.0 - 32.0) * 0.5555555555555556));
    EXPECT_NEAR(celsiusFromFahrenheit(-1000.0f), -573.33f, 0.005f);
    EXPECT_EQ(kelvinFromCelsius(0.0f), 273.15f);
    EXPECT_EQ(milesPerHourFromKnots(10.0f), float(11.5077945));
    EXPECT_EQ(radiansFromDegrees(180.0), 3.141592653589793);
    EXPECT_EQ(degreesFromRadians(3.141592653589793), 180.0);
}
