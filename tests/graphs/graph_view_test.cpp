// The graph view's data side: padded scales, mapping, `yForX` sampling, the closest point, spline
// points and the path builders' elements.
#include "graphs/OVGraphView.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <cmath>
#include <vector>

namespace {

constexpr double U = OVGraphDataPoint::Unset;

QDateTime day(int d, int hour = 0)
{
    return QDateTime(QDate(2024, 5, d), QTime(hour, 0), QTimeZone::utc());
}

std::vector<OVGraphDataPoint> values(std::initializer_list<double> ys)
{
    std::vector<OVGraphDataPoint> points;
    for (double y : ys)
        points.push_back(OVGraphDataPoint::dataPointWithX(0, y, QDateTime()));
    return points;
}

// A value-mode view `width` wide and 100 high whose points sit at x = 0, 1, ... with the given y.
void showValues(OVGraphView &view, int width, const std::vector<double> &ys)
{
    view.resize(width, 100);
    view.setXRange(OVGraphRangeMake(0, double(ys.size() - 1)));
    std::vector<OVGraphDataPoint> points;
    for (size_t i = 0; i < ys.size(); ++i)
        points.push_back(OVGraphDataPoint::dataPointWithX(double(i), ys[i], QDateTime()));
    view.setDataPoints(points);
    view.setAutoScale(false);
    view.setYRange(OVGraphRangeMake(0, 100));
    view.yForX(0); // brings positions and spline points up to date
}

} // namespace

TEST(OVGraphViewScale, PadsTheRangeOfTheValues)
{
    struct Case
    {
        const char *name;
        std::vector<OVGraphDataPoint> points;
        OVGraphRange expected;
    };
    const std::vector<Case> cases{
        {"equal below 10", values({5, 5}), {4, 6}},
        {"one value below 1", values({0.3}), {0.2, 0.4}},
        {"negative takes the small pad", values({-3, -3}), {-3.1, -2.9}},
        {"equal from 10", values({50, 50}), {40, 60}},
        {"a fifth each side", values({10, 20}), {8, 22}},
        {"unset marker only", values({U}), OVGraphNoDataRange},
        {"unset marker does not widen", values({10, U, 20}), {8, 22}},
        {"no points", {}, OVGraphNoDataRange},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OVGraphRange range = OVGraphView::graphScaleForData(c.points);
        EXPECT_DOUBLE_EQ(range.min, c.expected.min);
        EXPECT_DOUBLE_EQ(range.max, c.expected.max);
    }
}

TEST(OVGraphViewScale, SecondaryValuesJoinOnlyWhenThereAreAny)
{
    std::vector<OVGraphDataPoint> points = values({10, 20});
    EXPECT_EQ(OVGraphView::graphScaleForData(points, true), OVGraphRangeMake(8, 22));
    points[0].secondaryY = 0;
    points[1].secondaryY = 5;
    EXPECT_EQ(OVGraphView::graphScaleForData(points, true), OVGraphRangeMake(-1, 22));
}

TEST(OVGraphViewScale, BarsCountWhenTheirIntervalOverlapsTheWindow)
{
    OVGraphDataPoint inside;
    inside.minDate = day(1, 22);
    inside.maxDate = day(2, 2);
    inside.y = 10;
    OVGraphDataPoint after;
    after.minDate = day(5);
    after.maxDate = day(6);
    after.y = 1000;
    OVGraphDataPoint before;
    before.minDate = day(1, 0);
    before.maxDate = day(1, 12);
    before.y = -1000;
    const OVGraphRange range = OVGraphView::graphScaleForData({inside, after, before}, day(2), day(4));
    // Only the overlapping bar's 10 counts: a lone value from 10 up is padded by 10.
    EXPECT_EQ(range, OVGraphRangeMake(0, 20));
}

TEST(OVGraphViewMapping, DateAndXRoundTrip)
{
    OVGraphView view;
    view.resize(600, 100);
    view.setGraphXMode(OVGraphXMode::Dates);
    view.setMinDate(day(1), day(11));
    for (double x : {0.0, 1.0, 123.4, 599.0, 600.0}) {
        SCOPED_TRACE(x);
        EXPECT_NEAR(view.xForDate(view.dateForX(x)), x, 600.0 / 864000.0);
    }
    EXPECT_DOUBLE_EQ(view.xForDate(day(6)), 300.0);
    view.resize(0, 100);
    EXPECT_FALSE(view.dateForX(10).isValid());
    view.setGraphXMode(OVGraphXMode::Values);
    EXPECT_EQ(view.xForDate(day(6)), 0.0);
}

TEST(OVGraphViewMapping, YForXSamplesEveryStepthPointWhenDenserThanThePixels)
{
    // 1,000 points in 300 px: every third point is looked at. Only those points (and the two
    // ends) are at 10, so between the ends the sampled answer is 10 everywhere.
    OVGraphView view;
    std::vector<double> ys(1000, 0.0);
    for (size_t i = 2; i < ys.size(); i += 3)
        ys[i] = 10.0;
    ys.front() = ys.back() = 10.0;
    showValues(view, 300, ys);
    for (double x : {0.15, 1.0, 45.2, 150.0, 299.5})
        EXPECT_DOUBLE_EQ(view.yForX(x), view.yForValue(10.0)) << x;
    // On a point itself left and right are that point.
    EXPECT_DOUBLE_EQ(view.yForX(view.dataPoints()[5].graphAdjustedX), view.yForValue(10.0));
}

TEST(OVGraphViewMapping, YForXInterpolatesAndHoldsTheEnds)
{
    OVGraphView view;
    showValues(view, 100, {0, 100, 50});
    EXPECT_DOUBLE_EQ(view.yForX(25), view.yForValue(50));
    EXPECT_DOUBLE_EQ(view.yForX(-5), view.yForValue(0));
    EXPECT_DOUBLE_EQ(view.yForX(105), view.yForValue(50));
    view.resize(0, 100); // no width: every point is looked at, nothing is divided by zero
    EXPECT_TRUE(std::isfinite(view.yForX(0)));
}

TEST(OVGraphViewMapping, ClosestPointPrefersTheEarlierOfTwoAndBarsUseTheirInterval)
{
    OVGraphView view;
    showValues(view, 100, {1, 2, 3}); // x at 0, 50, 100
    EXPECT_EQ(view.closestDataToX(25)->y, 1.0);
    EXPECT_EQ(view.closestDataToX(26)->y, 2.0);
    EXPECT_FALSE(view.closestDataToX(-1).has_value());
    EXPECT_FALSE(view.closestDataToX(101).has_value());

    view.setGraphXMode(OVGraphXMode::Dates);
    view.setGraphYMode(OVGraphYMode::Bars);
    view.setMinDate(day(1), day(11));
    std::vector<OVGraphDataPoint> bars;
    for (int d : {1, 4}) {
        OVGraphDataPoint bar;
        bar.minDate = day(d);
        bar.maxDate = day(d + 2);
        bar.y = d;
        bars.push_back(bar);
    }
    view.setDataPoints(bars); // bars span x 0..20 and 30..50
    EXPECT_EQ(view.closestDataToX(15)->y, 1.0);
    EXPECT_EQ(view.closestDataToX(45)->y, 4.0);
    EXPECT_FALSE(view.closestDataToX(25).has_value());
    EXPECT_FALSE(view.closestDataToX(55).has_value());
}

TEST(OVGraphViewSpline, ThreePointsGiveTheirMidpointBetweenAndTheLastTwice)
{
    OVGraphView view;
    showValues(view, 100, {10, 40, 20});
    const std::vector<OVGraphDataPoint> &sp = view.splinePoints();
    ASSERT_EQ(sp.size(), 5u);
    std::vector<double> xs, ys;
    for (const OVGraphDataPoint &p : sp) {
        xs.push_back(p.graphAdjustedX);
        ys.push_back(p.y);
    }
    EXPECT_EQ(xs, (std::vector<double>{0, 50, 75, 100, 100}));
    EXPECT_EQ(ys, (std::vector<double>{10, 40, 30, 20, 20}));
}

TEST(OVGraphViewSpline, DensePointsMergeAtThreePixelsAndEndWithTheLastPoint)
{
    OVGraphView view;
    std::vector<double> ys;
    for (int i = 0; i < 1000; ++i)
        ys.push_back(i % 7);
    ys.back() = 99;
    showValues(view, 300, ys);
    const std::vector<OVGraphDataPoint> &sp = view.splinePoints();
    ASSERT_GE(sp.size(), 3u);
    EXPECT_EQ(sp.back().y, 99.0);
    EXPECT_EQ(sp.back().graphAdjustedX, 300.0);
    // Groups close once a point lies more than 3 px on (11 points of 0.3 px): about one reduced
    // point (the even entries) per 3 px of width.
    const size_t reduced = (sp.size() + 1) / 2;
    EXPECT_LE(reduced, 102u);
    EXPECT_GE(reduced, 90u);
    for (size_t i = 2; i + 2 < sp.size(); i += 2)
        EXPECT_GT(sp[i + 2].graphAdjustedX - sp[i].graphAdjustedX, 2.0) << i;
}

TEST(OVGraphViewPaths, LeadInAlongTheBottomWhenTheDataStartsInside)
{
    OVGraphView view;
    view.resize(100, 100);
    view.setExtendTheData(false);
    view.setXRange(OVGraphRangeMake(-2, 2)); // points at x 50, 75, 100
    std::vector<OVGraphDataPoint> points;
    for (double x : {0.0, 1.0, 2.0})
        points.push_back(OVGraphDataPoint::dataPointWithX(x, 50, QDateTime()));
    view.setDataPoints(points);
    view.setAutoScale(false);
    view.setYRange(OVGraphRangeMake(0, 100));
    view.yForX(0);
    using Op = OVGraphPathOp;
    const auto ops = view.pathOpsForXRange(OVGraphRangeMake(0, 101), &OVGraphDataPoint::y, true, false);
    ASSERT_TRUE(ops.has_value());
    ASSERT_GE(ops->size(), 4u);
    EXPECT_EQ((*ops)[0], (Op{Op::Move, {0, 102}, {}, {}}));
    EXPECT_EQ((*ops)[1], (Op{Op::Line, {0, 102}, {}, {}}));
    EXPECT_EQ((*ops)[2], (Op{Op::Line, {50, 102}, {}, {}}));
    EXPECT_EQ((*ops)[3], (Op{Op::Line, {50, 50}, {}, {}}));
    // Straight, not extended: after the last point inside, the line rises 2 above the top; the
    // fill then runs down to the bottom and along it to the range's end.
    const OVGraphPathOps tail(ops->end() - 5, ops->end());
    EXPECT_EQ(tail, (OVGraphPathOps{{Op::Line, {100, 50}, {}, {}},
                                    {Op::Line, {100, -2}, {}, {}},
                                    {Op::Line, {100, 102}, {}, {}},
                                    {Op::Line, {101, 102}, {}, {}},
                                    {Op::Line, {101, 102}, {}, {}}}));
}

TEST(OVGraphViewPaths, SmoothedCurvePassesThroughTheMidpointsOfItsControlPoints)
{
    OVGraphView view;
    view.setSmoothed(true);
    showValues(view, 90, {20, 80, 40, 60}); // x 0, 30, 60, 90
    // Spline points: r0 r1 m12 r2 m23 r3 r3. Independently: each curve pair ends at the middle
    // of (a+b)/2 and (b+c)/2 for (a, b, c) = (r0, r1, m12), (m12, r2, m23), (m23, r3, r3).
    // Values: m3 = (26.25, 60), (60, 47.5), (86.25, 57.5); view y = 100 - value.
    const std::vector<QPointF> m3{{26.25, 40}, {60, 52.5}, {86.25, 42.5}};
    const auto ops = view.pathOpsForXRange(OVGraphRangeMake(0, 91), &OVGraphDataPoint::y, false, false);
    ASSERT_TRUE(ops.has_value());
    std::vector<QPointF> curveEnds;
    for (const OVGraphPathOp &op : *ops)
        if (op.kind == OVGraphPathOp::Curve)
            curveEnds.push_back(op.point);
    ASSERT_EQ(curveEnds.size(), 6u);
    for (size_t i = 0; i < m3.size(); ++i) {
        EXPECT_NEAR(curveEnds[2 * i].x(), m3[i].x(), 1e-9) << i;
        EXPECT_NEAR(curveEnds[2 * i].y(), m3[i].y(), 1e-9) << i;
    }
}

TEST(OVGraphViewPaths, AGapInTheSeriesStartsANewSubpath)
{
    OVGraphView view;
    showValues(view, 100, {10, 20, 30, 40, 50, 60});
    std::vector<OVGraphDataPoint> points = view.dataPoints();
    points[2].secondaryY = U;
    points[3].secondaryY = U;
    for (size_t i : {0u, 1u, 4u, 5u})
        points[i].secondaryY = 50;
    view.setDataPoints(points);
    view.setYRange(OVGraphRangeMake(0, 100));
    view.yForX(0);
    const auto ops = view.pathOpsForXRange(OVGraphRangeMake(0, 101), &OVGraphDataPoint::secondaryY, false, false);
    ASSERT_TRUE(ops.has_value());
    int moves = 0;
    for (const OVGraphPathOp &op : *ops) {
        moves += op.kind == OVGraphPathOp::Move;
        EXPECT_GE(op.point.y(), -2.0);
        EXPECT_LE(op.point.y(), 102.0);
    }
    EXPECT_EQ(moves, 2);
}

TEST(OVGraphViewPaths, BandFillsBetweenItsCurvesOrOutsideThemWhenInverted)
{
    OVGraphView view;
    view.resize(100, 100);
    view.setXRange(OVGraphRangeMake(0, 4));
    std::vector<OVGraphDataPoint> points;
    for (int i = 0; i <= 4; ++i)
        points.push_back(OVGraphDataPoint::dataPointWithXYMin(i, 30, 70, QDateTime()));
    view.setDataPoints(points);
    view.setYRange(OVGraphRangeMake(0, 100));
    view.yForX(0);
    const OVGraphRange range = OVGraphRangeMake(0, 101);
    const QPainterPath band = view.rangeChartPathForXRange(range, false);
    EXPECT_TRUE(band.contains(QPointF(50, 50)));
    EXPECT_FALSE(band.contains(QPointF(50, 10)));
    EXPECT_FALSE(band.contains(QPointF(50, 90)));

    view.setInverted(true);
    const QPainterPath outside = view.rangeChartPathForXRange(range);
    EXPECT_TRUE(view.inverted());
    EXPECT_FALSE(outside.contains(QPointF(50, 50)));
    EXPECT_TRUE(outside.contains(QPointF(50, 10)));
    EXPECT_TRUE(outside.contains(QPointF(50, 90)));
}
