// The data rules the graph types share: precipitation bars from hourly reports, joining bars
// and lines, the mean direction, compass names and the wind read-out.
#include "graph_panel_fakes.h"

#include "core/OVConstants.h"
#include "graphs/NBGraphSeries.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

OVWeatherConditions report(const QDateTime &date, double inches)
{
    OVWeatherConditions c;
    c.setDate(date);
    c.setH1PrecipitationInches(inches);
    return c;
}

struct Bar
{
    QDateTime from;
    QDateTime to;
    double inches;
};

struct BarCase
{
    const char *name;
    QList<OVWeatherConditions> reports;
    std::vector<Bar> bars;
};

OVGraphDataPoint barPoint(const QDateTime &from, const QDateTime &to, double y)
{
    OVGraphDataPoint p = OVGraphDataPoint::dataPointWithX(0.0, y, QDateTime());
    p.minDate = from;
    p.maxDate = to;
    return p;
}

} // namespace

TEST(NBGraphSeries, PastPrecipitationBarsCountWhatFellSinceThePreviousReport)
{
    const std::vector<BarCase> cases{
        {"two reports in one hour",
         {report(utcAt(10, 10, 20), 0.05), report(utcAt(10, 10, 50), 0.12)},
         {{utcAt(10, 9, 20), utcAt(10, 10, 20), 0.05}, {utcAt(10, 10, 20), utcAt(10, 10, 50), 0.12 - 0.05}}},
        {"a new clock hour starts a new amount",
         {report(utcAt(10, 10, 50), 0.12), report(utcAt(10, 11, 10), 0.02)},
         {{utcAt(10, 9, 50), utcAt(10, 10, 50), 0.12}, {utcAt(10, 10, 50), utcAt(10, 11, 10), 0.02}}},
        {"a gap of an hour starts one hour back",
         {report(utcAt(10, 8, 0), 0.1), report(utcAt(10, 9, 0), 0.2)},
         {{utcAt(10, 7, 0), utcAt(10, 8, 0), 0.1}, {utcAt(10, 8, 0), utcAt(10, 9, 0), 0.2}}},
        {"a repeated amount adds nothing",
         {report(utcAt(10, 10, 20), 0.05), report(utcAt(10, 10, 40), 0.05)},
         {{utcAt(10, 9, 20), utcAt(10, 10, 20), 0.05}, {utcAt(10, 10, 20), utcAt(10, 10, 40), 0.0}}},
        {"after a report without an amount the amount counts whole",
         {report(utcAt(10, 10, 10), OVNoValue), report(utcAt(10, 10, 40), 0.05)},
         {{utcAt(10, 9, 10), utcAt(10, 10, 10), 0.0}, {utcAt(10, 10, 10), utcAt(10, 10, 40), 0.05}}},
        {"a smaller amount in the same hour counts whole",
         {report(utcAt(10, 10, 5), 0.12), report(utcAt(10, 10, 45), 0.02)},
         {{utcAt(10, 9, 5), utcAt(10, 10, 5), 0.12}, {utcAt(10, 10, 5), utcAt(10, 10, 45), 0.02}}},
    };
    for (const BarCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<OVGraphDataPoint> bars = NBGraphSeries::pastPrecipitationBars(c.reports);
        ASSERT_EQ(bars.size(), c.bars.size());
        for (size_t i = 0; i < bars.size(); ++i) {
            EXPECT_EQ(bars[i].minDate, c.bars[i].from) << i;
            EXPECT_EQ(bars[i].maxDate, c.bars[i].to) << i;
            EXPECT_DOUBLE_EQ(bars[i].y, c.bars[i].inches) << i;
        }
    }
}

TEST(NBGraphSeries, FutureBarsJoinAfterTheLastPastBarAndAStraddlingBarStartsNow)
{
    const QDateTime now = utcAt(10, 12, 10);
    const std::vector<OVGraphDataPoint> past{barPoint(utcAt(10, 11), utcAt(10, 12), 0.1)};
    const std::vector<OVGraphDataPoint> future{barPoint(utcAt(10, 9), utcAt(10, 12), 0.2),
                                               barPoint(utcAt(10, 11), utcAt(10, 14), 0.3),
                                               barPoint(utcAt(10, 12), utcAt(10, 15), 0.4),
                                               barPoint(utcAt(10, 15), utcAt(10, 18), 0.5)};
    const std::vector<OVGraphDataPoint> merged = NBGraphSeries::mergeBars(past, future, now);
    ASSERT_EQ(merged.size(), 4u);
    EXPECT_DOUBLE_EQ(merged[1].y, 0.3);
    EXPECT_EQ(merged[1].minDate, now);
    EXPECT_EQ(merged[2].minDate, now) << "a bar starting exactly at the last past end also straddles it";
    EXPECT_EQ(merged[3].minDate, utcAt(10, 15));
    EXPECT_EQ(NBGraphSeries::mergeBars({}, future, now).size(), future.size());
}

TEST(NBGraphSeries, TotalsCountEveryBarThatOverlapsTheWindowWhole)
{
    const std::vector<OVGraphDataPoint> bars{barPoint(utcAt(10, 0), utcAt(10, 6), 0.1),
                                             barPoint(utcAt(10, 5), utcAt(10, 8), 0.2),
                                             barPoint(utcAt(10, 8), utcAt(10, 9), 0.4)};
    EXPECT_DOUBLE_EQ(NBGraphSeries::totalOfBars(bars, utcAt(10, 6), utcAt(10, 8)), 0.2);
    EXPECT_DOUBLE_EQ(NBGraphSeries::totalOfBars(bars, utcAt(10, 5, 59), utcAt(10, 8, 1)), 0.7);
}

TEST(NBGraphSeries, MeanDirectionAgreesWithTheQuadrantAwareArcTangent)
{
    const std::vector<std::vector<double>> sets{{0, 90},   {350, 10},      {180, 200}, {100, 200, 300, 10},
                                                {270, 300}, {45, 45, 135}, {200, 250}, {359}};
    for (const auto &directions : sets) {
        std::vector<OVGraphDataPoint> points;
        double sumSin = 0;
        double sumCos = 0;
        for (size_t i = 0; i < directions.size(); ++i) {
            points.push_back(OVGraphDataPoint::dataPointWithX(0, directions[i], utcAt(10, int(i))));
            sumSin += std::sin(directions[i] * M_PI / 180.0);
            sumCos += std::cos(directions[i] * M_PI / 180.0);
        }
        double expected = std::atan2(sumSin, sumCos) * 180.0 / M_PI;
        if (expected < 0)
            expected += 360.0;
        SCOPED_TRACE(::testing::PrintToString(directions));
        EXPECT_NEAR(NBGraphSeries::meanDirection(points, utcAt(9, 0), utcAt(11, 0)), expected, 1e-9);
    }
    // Points outside the window do not count; an empty window means north.
    const std::vector<OVGraphDataPoint> outside{OVGraphDataPoint::dataPointWithX(0, 90, utcAt(12, 0))};
    EXPECT_EQ(NBGraphSeries::meanDirection(outside, utcAt(9, 0), utcAt(11, 0)), 0.0);
}

TEST(NBGraphSeries, DirectionsWrapIntoHalfATurnEitherSideOfTheMean)
{
    struct Case
    {
        std::vector<double> directions;
        double mean;
        std::vector<double> wrapped;
    };
    for (const Case &c : {Case{{0, 90, 300}, 45, {0, 90, -60}}, Case{{350, 10}, 360, {350, 370}},
                          Case{{-400, 800}, 0, {-40, 80}}}) {
        std::vector<OVGraphDataPoint> points;
        for (double d : c.directions)
            points.push_back(OVGraphDataPoint::dataPointWithX(0, d, utcAt(10, 0)));
        NBGraphSeries::wrapDirections(points, c.mean);
        for (size_t i = 0; i < points.size(); ++i) {
            EXPECT_DOUBLE_EQ(points[i].y, c.wrapped[i]);
            EXPECT_DOUBLE_EQ(points[i].displayValue, c.directions[i]) << "the read-out keeps the direction";
        }
    }
}

TEST(NBGraphSeries, CompassNamesTakeTheNearestStepAndTheSmallerAngleOnATie)
{
    const std::vector<std::pair<double, const char *>> cases{
        {22.5, "N"},  {22.6, "NE"}, {67.5, "NE"}, {90, "E"},  {200, "S"},         {337.5, "NW"},
        {337.6, "N"}, {359, "N"},   {400, "N"},   {-1, "Variable"}, {OVNoValue, "Not Available"}};
    for (const auto &[degrees, name] : cases)
        EXPECT_EQ(NBGraphSeries::stringForDirection(degrees), QString::fromLatin1(name)) << degrees;
}

TEST(NBGraphSeries, WindReadoutShowsTheGustOnlyWhenItExceedsTheSpeed)
{
    struct Case
    {
        double speed, gust, direction;
        int units;
        const char *text;
    };
    for (const Case &c : {Case{12, 12.4, 315, 2, "NW 12 knots"}, Case{12, 13, 315, 2, "NW 12-13 knots"},
                          Case{0, 5, 90, 2, "Calm"}, Case{6, 6, 30, 0, "NE 7 mph"},
                          Case{10, 20, 180, 1, "S 19-37 km/h"}, Case{10, 10, 270, 3, "W 5 m/s"},
                          Case{10, 10, OVNoValue, 2, "Not Available 10 knots"}, Case{10, 10, 0, 7, ""}}) {
        EXPECT_EQ(NBGraphSeries::windReadout(c.speed, c.gust, c.direction, OVUnits::fromCode<OVWindSpeedUnit>(c.units)), QString::fromLatin1(c.text))
            << c.text;
    }
}
