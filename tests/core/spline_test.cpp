// Natural cubic and B-spline smoothing against independently computed curves.
#include "core/OVSpline.h"

#include <gtest/gtest.h>

namespace {

QList<QPointF> curvedPoints()
{
    return {{0.0, 0.0}, {1.0, 2.0}, {3.0, 3.0}, {4.0, 1.0}, {6.0, 0.5}};
}

} // namespace

TEST(Spline, ShortListsComeBackUnchanged)
{
    for (int type : {int(OVSpline::NaturalCubic), int(OVSpline::BSpline), 7}) {
        for (const QList<QPointF> &points : {QList<QPointF>{}, QList<QPointF>{{0.1, 0.2}},
                                             QList<QPointF>{{0.1, 0.2}, {3, 4}}}) {
            SCOPED_TRACE(testing::Message() << "type " << type << ", " << points.size() << " points");
            OVSpline spline(points);
            spline.setType(type);
            EXPECT_EQ(spline.smoothedPoints(), points);
        }
    }
}

TEST(Spline, UnknownTypeGivesNothing)
{
    OVSpline spline(curvedPoints());
    spline.setType(2);
    EXPECT_FALSE(spline.smoothedPoints());
}

// Values of SciPy's CubicSpline(bc_type='natural') on each coordinate over the parameter 0..4.
TEST(Spline, NaturalSplineMatchesAnIndependentSolver)
{
    OVSpline spline(curvedPoints());
    spline.setSteps(4);
    const QList<QPointF> out = *spline.smoothedPoints();
    ASSERT_EQ(out.size(), 1 + 4 * 4);
    struct Case { double u, x, y; };
    const Case cases[] = {
        {0.25, 0.16629464285714288, 0.5062779017857143}, {0.5, 0.36607142857142855, 1.0100446428571428},
        {1.75, 2.5569196428571423, 3.0492466517857144},  {2.5, 3.526785714285714, 2.1104910714285712},
        {3.25, 4.3828125, 0.67871093750000011},          {3.75, 5.4162946428571432, 0.48479352678571414},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.u);
        const QPointF p = out[qsizetype(c.u * 4)];
        EXPECT_NEAR(p.x(), c.x, 1e-12);
        EXPECT_NEAR(p.y(), c.y, 1e-12);
    }
    for (qsizetype i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(out[i * 4].x(), curvedPoints()[i].x(), 1e-12);
        EXPECT_NEAR(out[i * 4].y(), curvedPoints()[i].y(), 1e-12);
    }
}

TEST(Spline, CollinearPointsStayOnTheLine)
{
    const OVSpline spline({{0, 0}, {1, 2}, {2, 4}});
    const QList<QPointF> out = *spline.smoothedPoints();
    ASSERT_EQ(out.size(), 41);
    EXPECT_EQ(out[20], QPointF(1, 2));
    for (const QPointF &p : out)
        EXPECT_NEAR(p.y(), 2 * p.x(), 1e-12);
}

TEST(Spline, CoordinatesAreReadThroughSinglePrecision)
{
    const OVSpline spline({{0.1, 0.3}, {1, 1}, {2, 0}});
    const QPointF first = spline.naturalCubicSmoothedPoints().first();
    EXPECT_EQ(first.x(), double(0.1f));
    EXPECT_NE(first.x(), 0.1);
    EXPECT_EQ(first.y(), double(0.3f));
}

TEST(Spline, BSplineEndsOnTheLastPoint)
{
    OVSpline spline({{0, 0}, {1, 3}, {4, 3}, {5, 0}});
    spline.setType(OVSpline::BSpline);
    const QList<QPointF> out = *spline.smoothedPoints();
    ASSERT_EQ(out.size(), 100);
    EXPECT_DOUBLE_EQ(out.last().x(), 5.0);
    EXPECT_DOUBLE_EQ(out.last().y(), 0.0);
    // One step after the (tripled) first point: the basis at t = 1/20 over (p0, p0, p0, p1).
    const double t = 1.0 / 20.0;
    EXPECT_NEAR(out.first().x(), OVSpline::bSplineB(1, t) * 1.0, 1e-15);
    EXPECT_NEAR(out.first().y(), OVSpline::bSplineB(1, t) * 3.0, 1e-15);
}

TEST(Spline, BasisWeightsSumToOne)
{
    for (double t : {0.0, 0.3, 0.5, 1.0}) {
        SCOPED_TRACE(t);
        double sum = 0;
        for (int k = -2; k <= 1; ++k)
            sum += OVSpline::bSplineB(k, t);
        EXPECT_NEAR(sum, 1.0, 1e-15);
        EXPECT_EQ(OVSpline::bSplineB(2, t), 0.0);
        EXPECT_EQ(OVSpline::bSplineB(-3, t), 0.0);
    }
}

TEST(Spline, ZeroStepsGiveOnlyTheFirstPointOrNothing)
{
    OVSpline spline(curvedPoints());
    spline.setSteps(0);
    EXPECT_EQ(*spline.smoothedPoints(), QList<QPointF>{QPointF(0, 0)});
    spline.setType(OVSpline::BSpline);
    EXPECT_TRUE(spline.smoothedPoints()->isEmpty());
}

TEST(Spline, PolynomialsNeedThreeValues)
{
    EXPECT_TRUE(OVSpline::calculateNaturalCubicPolynomials({1, 2}).isEmpty());
    const auto segments = OVSpline::calculateNaturalCubicPolynomials({0, 1, 0});
    ASSERT_EQ(segments.size(), 2);
    EXPECT_DOUBLE_EQ(segments[0].evaluate(1.0), 1.0);
    EXPECT_DOUBLE_EQ(segments[1].evaluate(1.0), 0.0);
}
