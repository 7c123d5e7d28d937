// Graph points: makers, midpoints, group averages (a field no point had stays unset), date order
// and the log text.
#include "graphs/OVGraphDataPoint.h"
#include "graphs/OVGraphView.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <vector>

namespace {

constexpr double U = OVGraphDataPoint::Unset;

QDateTime at(int day, int hour = 0)
{
    return QDateTime(QDate(2024, 5, day), QTime(hour, 0), QTimeZone::utc());
}

OVGraphDataPoint point(double y, double secondaryY)
{
    OVGraphDataPoint p = OVGraphDataPoint::dataPointWithX(U, y, QDateTime());
    p.secondaryY = secondaryY;
    return p;
}

} // namespace

TEST(OVGraphDataPoint, RangePointCarriesItsMiddleAndEnds)
{
    const OVGraphDataPoint p = OVGraphDataPoint::dataPointWithXYMin(1.0, 10.0, 20.0, at(1));
    EXPECT_EQ(p.y, 15.0);
    EXPECT_EQ(p.displayValue, 15.0);
    EXPECT_EQ(p.minDisplayValue, 10.0);
    EXPECT_EQ(p.maxDisplayValue, 20.0);
    EXPECT_EQ(p.yMin, 10.0);
    EXPECT_EQ(p.yMax, 20.0);
}

TEST(OVGraphDataPoint, MidpointLeavesAFieldUnsetWhenEitherPointLacksIt)
{
    const OVGraphDataPoint a = OVGraphDataPoint::dataPointWithX(0.0, 2.0, at(1));
    const OVGraphDataPoint b = OVGraphDataPoint::dataPointWithX(4.0, 6.0, at(2));
    const OVGraphDataPoint m = OVGraphDataPoint::midPointOfPointA(a, b);
    EXPECT_EQ(m.x, 2.0);
    EXPECT_EQ(m.y, 4.0);
    EXPECT_EQ(m.secondaryY, U);
    EXPECT_EQ(m.yMax, -U);
    EXPECT_FALSE(m.date.isValid());

    OVGraphDataPoint withSecondary = a;
    withSecondary.secondaryY = 10.0;
    EXPECT_EQ(OVGraphDataPoint::midPointOfPointA(withSecondary, b).secondaryY, U);
    EXPECT_EQ(OVGraphDataPoint::midPointOfPointA(b, withSecondary).secondaryY, U);
}

TEST(OVGraphDataPoint, AverageDividesByTheWholeGroupAndLeavesAbsentFieldsUnset)
{
    struct Case
    {
        const char *name;
        std::vector<OVGraphDataPoint> points;
        double y;
        double secondaryY;
    };
    const std::vector<Case> cases{
        {"secondary set in one of two", {point(2, 6), point(4, U)}, 3.0, 3.0},
        {"secondary set in none", {point(2, U), point(4, U)}, 3.0, U},
        {"y set in none", {point(U, 6), point(U, 8)}, U, 7.0},
        {"one point", {point(5, 1)}, 5.0, 1.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OVGraphDataPoint average = OVGraphDataPoint::averagePointOfPoints(c.points);
        EXPECT_EQ(average.y, c.y);
        EXPECT_EQ(average.secondaryY, c.secondaryY);
        EXPECT_FALSE(average.date.isValid());
    }
}

TEST(OVGraphDataPoint, DateOrderFallsBackToMinDatesAndAnswersSameWhenMissing)
{
    OVGraphDataPoint early = OVGraphDataPoint::dataPointWithX(0, 1, at(1));
    OVGraphDataPoint late = OVGraphDataPoint::dataPointWithX(0, 1, at(2));
    OVGraphDataPoint barEarly;
    barEarly.minDate = at(1);
    barEarly.maxDate = at(2);
    OVGraphDataPoint barLate;
    barLate.minDate = at(3);
    barLate.maxDate = at(4);
    const OVGraphDataPoint none;
    EXPECT_EQ(early.dateComparator(late), -1);
    EXPECT_EQ(late.dateComparator(early), 1);
    EXPECT_EQ(barLate.dateComparator(barEarly), 1);
    EXPECT_EQ(none.dateComparator(OVGraphDataPoint()), 0);
    // A dated point against a bar compares minDates, and the point has none.
    EXPECT_EQ(early.dateComparator(barLate), 0);
}

TEST(OVGraphDataPoint, DateModeSortsByDateElseMinDateWithUndatedLast)
{
    OVGraphView view;
    view.setGraphXMode(OVGraphXMode::Dates);
    OVGraphDataPoint bar;
    bar.minDate = at(2);
    bar.maxDate = at(3);
    bar.y = 7;
    OVGraphDataPoint undated = OVGraphDataPoint::dataPointWithX(0, 9, QDateTime());
    view.setDataPoints({undated, OVGraphDataPoint::dataPointWithX(0, 3, at(3)), bar,
                        OVGraphDataPoint::dataPointWithX(0, 1, at(1))});
    std::vector<double> order;
    for (const OVGraphDataPoint &p : view.dataPoints())
        order.push_back(p.y);
    EXPECT_EQ(order, (std::vector<double>{1, 7, 3, 9}));
}

TEST(OVGraphDataPoint, DescriptionOfANewPoint)
{
    EXPECT_EQ(OVGraphDataPoint().description(),
              QStringLiteral("<OVGraphDataPoint: x:[340282346638528859811704183484516925440.00]  "
                             "y:[340282346638528859811704183484516925440.00]    date:[nil]>"));
    OVGraphDataPoint p = OVGraphDataPoint::dataPointWithX(1, 2, QDateTime());
    p.secondaryY = 3;
    p.minDate = at(1, 6);
    p.maxDate = at(1, 7);
    EXPECT_EQ(p.description(), QStringLiteral("<OVGraphDataPoint: x:[1.00]  y:[2.00]  y2:[3.00]  date range:"
                                              "[2024-05-01 06:00:00 +0000 - 2024-05-01 07:00:00 +0000]>"));
}

TEST(OVGraphDataPoint, BarWithoutDateIsCentredBetweenItsEnds)
{
    OVGraphView view;
    view.resize(100, 50);
    view.setGraphXMode(OVGraphXMode::Dates);
    view.setMinDate(at(1), at(11));
    OVGraphDataPoint bar;
    bar.minDate = at(2);
    bar.maxDate = at(4);
    bar.calculateXValuesForGraph(view);
    EXPECT_DOUBLE_EQ(bar.graphAdjustedXMin, 10.0);
    EXPECT_DOUBLE_EQ(bar.graphAdjustedXMax, 30.0);
    EXPECT_DOUBLE_EQ(bar.graphAdjustedX, 20.0);
}
