// The temperature colour scale against its stop table: ends, a point between stops, Fahrenheit,
// the medium and light versions and NaN.
#include "graphs/NBCommon.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace {

using Rgb = std::array<double, 3>;

// The stops, cold to warm, at -40 + 83 k / 7 degrees C.
constexpr std::array<Rgb, 8> kStops{{{0.937254, 0.878431, 1.0},
                                     {0.5, 0.0, 1.0},
                                     {0.0, 0.0, 1.0},
                                     {0.0, 0.752941, 1.0},
                                     {0.0, 1.0, 0.0},
                                     {1.0, 1.0, 0.0},
                                     {1.0, 0.0, 0.0},
                                     {0.580392, 0.180392, 0.0}}};

Rgb towardWhite(const Rgb &c, double fraction)
{
    return {c[0] + (1 - c[0]) * fraction, c[1] + (1 - c[1]) * fraction, c[2] + (1 - c[2]) * fraction};
}

Rgb midway(const Rgb &a, const Rgb &b)
{
    return {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
}

void expectColor(const QColor &actual, const Rgb &expected)
{
    EXPECT_NEAR(actual.redF(), expected[0], 1e-4);
    EXPECT_NEAR(actual.greenF(), expected[1], 1e-4);
    EXPECT_NEAR(actual.blueF(), expected[2], 1e-4);
    EXPECT_NEAR(actual.alphaF(), 1.0, 1e-4);
}

} // namespace

TEST(NBCommon, TemperatureColoursFollowTheStopTable)
{
    struct Case
    {
        const char *name;
        QColor actual;
        Rgb expected;
    };
    const Rgb between34 = midway(kStops[3], kStops[4]);
    const std::vector<Case> cases{
        {"-40 C", NBCommon::colorForTemperatureC(-40), kStops[0]},
        {"far below", NBCommon::colorForTemperatureC(-75), kStops[0]},
        {"43 C", NBCommon::colorForTemperatureC(43), kStops[7]},
        {"far above", NBCommon::colorForTemperatureC(60), kStops[7]},
        {"stop 5", NBCommon::colorForTemperatureC(-40 + 83.0 * 5 / 7), kStops[5]},
        {"1.5 C midway between stops 3 and 4", NBCommon::colorForTemperatureC(1.5), between34},
        {"medium", NBCommon::mediumColorForTemperatureC(1.5), towardWhite(between34, 0.4)},
        {"light", NBCommon::lightColorForTemperatureC(1.5), towardWhite(between34, 0.7)},
        {"medium F", NBCommon::mediumColorForTemperatureF(-40), towardWhite(kStops[0], 0.4)},
        {"NaN lands at the cold end", NBCommon::colorForTemperatureC(std::nan("")), kStops[0]},
        {"whole degree", NBCommon::colorForTemperatureCInt(43), kStops[7]},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        expectColor(c.actual, c.expected);
    }
}

TEST(NBCommon, FahrenheitGoesThroughCelsius)
{
    EXPECT_EQ(NBCommon::colorForTemperatureF(32), NBCommon::colorForTemperatureC(0));
    EXPECT_EQ(NBCommon::lightColorForTemperatureF(212), NBCommon::lightColorForTemperatureC(100));
    EXPECT_EQ(NBCommon::colorForTemperatureCInt(-3), NBCommon::colorForTemperatureCInt(-3));
    EXPECT_EQ(NBCommon::colorForTemperatureCInt(-3), NBCommon::colorForTemperatureC(-3).toRgb());
}
