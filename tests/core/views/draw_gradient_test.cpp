// Multi-stop gradients: interpolation, and linear and radial drawing in both orientations.
#include "core/views/OVGradient.h"
#include "core/views/OVYUp.h"
#include "support/draw_test_util.h"

#include <gtest/gtest.h>

namespace {

void expectColorNear(const QColor &actual, double r, double g, double b, double a = 1.0)
{
    EXPECT_NEAR(actual.redF(), r, 1e-4);
    EXPECT_NEAR(actual.greenF(), g, 1e-4);
    EXPECT_NEAR(actual.blueF(), b, 1e-4);
    EXPECT_NEAR(actual.alphaF(), a, 1e-4);
}

// The eight colours of the temperature scale, cold to warm, -40 to 43 degrees C.
OVGradient temperatureScale()
{
    return OVGradient(QList<QColor>{
        QColor::fromRgbF(0.937254f, 0.878431f, 1.0f), QColor::fromRgbF(0.5f, 0.0f, 1.0f),
        QColor::fromRgbF(0.0f, 0.0f, 1.0f), QColor::fromRgbF(0.0f, 0.752941f, 1.0f),
        QColor::fromRgbF(0.0f, 1.0f, 0.0f), QColor::fromRgbF(1.0f, 1.0f, 0.0f),
        QColor::fromRgbF(1.0f, 0.0f, 0.0f), QColor::fromRgbF(0.580392f, 0.180392f, 0.0f)});
}

} // namespace

TEST(OVGradient, InterpolatesEveryComponentBetweenNeighbouringStops)
{
    const OVGradient gradient({QColor::fromRgbF(1, 0, 0, 1), QColor::fromRgbF(0, 1, 0, 0.5f), QColor::fromRgbF(0, 0, 1, 0)});
    ASSERT_EQ(gradient.numberOfColorStops(), 3);
    EXPECT_DOUBLE_EQ(gradient.stops()[1].location, 0.5);

    struct Case
    {
        double location;
        double r, g, b, a;
    };
    const Case cases[] = {
        {-1.0, 1, 0, 0, 1}, {0.0, 1, 0, 0, 1},          {0.25, 0.5, 0.5, 0, 0.75},
        {0.5, 0, 1, 0, 0.5}, {0.75, 0, 0.5, 0.5, 0.25}, {1.0, 0, 0, 1, 0}, {2.0, 0, 0, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.location);
        expectColorNear(gradient.interpolatedColorAtLocation(c.location), c.r, c.g, c.b, c.a);
    }

    // Stops given out of order are sorted; a gradient without stops answers no colour.
    const OVGradient unsorted(QList<QColor>{Qt::blue, Qt::red}, QList<double>{1.0, 0.0});
    EXPECT_EQ(unsorted.interpolatedColorAtLocation(0.0), QColor(Qt::red));
    EXPECT_FALSE(OVGradient(QList<QColor>{}).interpolatedColorAtLocation(0.5).isValid());
}

TEST(OVGradient, TemperatureScaleMidpointLiesBetweenStopsThreeAndFour)
{
    const OVGradient scale = temperatureScale();
    const double position = (1.5 + 40.0) / 83.0;
    EXPECT_DOUBLE_EQ(position, 0.5);
    expectColorNear(scale.interpolatedColorAtLocation(position), 0.0, (0.752941 + 1.0) / 2.0, 0.5);
    expectColorNear(scale.interpolatedColorAtLocation(0.0), 0.937254, 0.878431, 1.0);
    expectColorNear(scale.interpolatedColorAtLocation(1.0), 0.580392, 0.180392, 0.0);
}

TEST(OVGradient, LinearAngleFollowsTheLogicalSpace)
{
    const OVGradient gradient(Qt::red, Qt::blue);
    struct Case
    {
        const char *name;
        bool yUp;
        double angle;
        QColor top, bottom, left, right; // image rows and columns
    };
    const Case cases[] = {
        {"90 in a y-up view runs bottom to top", true, 90, Qt::blue, Qt::red, QColor(), QColor()},
        {"90 in a flipped view runs top to bottom", false, 90, Qt::red, Qt::blue, QColor(), QColor()},
        {"0 runs left to right", true, 0, QColor(), QColor(), Qt::red, Qt::blue},
        {"180 runs right to left", false, 180, QColor(), QColor(), Qt::blue, Qt::red},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = transparentImage(40, 40);
        {
            QPainter painter(&image);
            if (c.yUp)
                OVYUp::begin(painter, image.height());
            gradient.drawInRect(painter, QRectF(0, 0, 40, 40), c.angle);
        }
        if (c.top.isValid()) {
            EXPECT_TRUE(sameColor(pixelAt(image, 20, 0), c.top, 8)) << pixelAt(image, 20, 0).name().toStdString();
            EXPECT_TRUE(sameColor(pixelAt(image, 20, 39), c.bottom, 8));
        } else {
            EXPECT_TRUE(sameColor(pixelAt(image, 0, 20), c.left, 8));
            EXPECT_TRUE(sameColor(pixelAt(image, 39, 20), c.right, 8));
        }
    }
}

TEST(OVGradient, DiagonalEndsSitAtTheExtremeCorners)
{
    QImage image = transparentImage(60, 20);
    {
        QPainter painter(&image);
        OVYUp::begin(painter, image.height());
        OVGradient(Qt::black, Qt::white).drawInRect(painter, QRectF(0, 0, 60, 20), 45);
    }
    // Bottom-left corner holds the start colour, top-right the end colour.
    EXPECT_TRUE(sameColor(pixelAt(image, 0, 19), Qt::black, 10));
    EXPECT_TRUE(sameColor(pixelAt(image, 59, 0), Qt::white, 10));
}

TEST(OVGradient, RadialStartsAtTheCentreAndIsClippedToThePath)
{
    const OVGradient gradient(QColor(Qt::yellow), QColor(Qt::darkBlue));
    for (const QPointF relative : {QPointF(0, 0), QPointF(0.5, -0.5)}) {
        SCOPED_TRACE(relative.x());
        QImage image = transparentImage(41, 41);
        {
            QPainter painter(&image);
            QPainterPath disc;
            disc.addEllipse(QRectF(0, 0, 41, 41));
            gradient.drawInPath(painter, disc, relative);
        }
        EXPECT_TRUE(sameColor(pixelAt(image, 20, 20), Qt::yellow, 12)) << pixelAt(image, 20, 20).name().toStdString();
        EXPECT_EQ(pixelAt(image, 0, 0).alpha(), 0);
        EXPECT_GT(pixelAt(image, 20, 1).alpha(), 0);
    }
}
