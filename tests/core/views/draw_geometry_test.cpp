// The y-up helper, arc and ring paths, colour blending and scaling, dark mode and point clamping.
#include "core/views/OVColorUtil.h"
#include "core/views/OVGraphicsUtil.h"
#include "core/views/OVPathUtil.h"
#include "core/views/OVViewUtil.h"
#include "core/views/OVYUp.h"
#include "support/draw_test_util.h"

#include <QPainterPath>
#include <QWidget>
#include <QtMath>

#include <gtest/gtest.h>

TEST(YUpHelper, FrameConversionRoundTrips)
{
    const QRect geometry = OVYUp::toWidgetGeometry(QRectF(10, 18, 298, 17), 52);
    EXPECT_EQ(geometry, QRect(10, 17, 298, 17));
    EXPECT_EQ(OVYUp::fromWidgetGeometry(geometry, 52), QRectF(10, 18, 298, 17));
    EXPECT_EQ(OVYUp::toYUp(QPointF(5, 2), 52), QPointF(5, 50));

    QWidget parent;
    parent.resize(100, 60);
    QWidget child(&parent);
    OVYUp::setFrame(child, QRectF(4, 4, 20, 10));
    EXPECT_EQ(child.geometry(), QRect(4, 46, 20, 10));
    EXPECT_EQ(OVYUp::frame(child), QRectF(4, 4, 20, 10));
}

TEST(PathUtil, FlipAwareArcRendersAlikeInBothSpaces)
{
    const int height = 80;
    auto render = [&](bool flippedSpace) {
        QImage image = transparentImage(100, height);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        if (!flippedSpace)
            OVYUp::begin(painter, height);
        const QPointF center(50, flippedSpace ? height - 30 : 30);
        QPainterPath path;
        OVPathUtil::addArc(path, center, 20, 10, 120, false, flippedSpace);
        painter.strokePath(path, QPen(Qt::black, 2));
        return image;
    };
    const QImage yUp = render(false);
    const QImage flipped = render(true);
    // The arc runs counter-clockwise on screen from 10 to 120 degrees: it passes above the centre.
    EXPECT_GT(pixelAt(yUp, 50, height - 30 - 20).alpha(), 0);
    EXPECT_EQ(pixelAt(yUp, 50, height - 30 + 20).alpha(), 0);
    // Same pixels; antialiased coverage may round a few levels apart in a mirrored space.
    EXPECT_EQ(differingPixels(yUp, flipped, 8), 0);
}

TEST(PathUtil, ArcInRectEndsAtTheEndOfTheSpan)
{
    struct Case
    {
        const char *name;
        QRectF rect;
        double from, to;
        bool clockwise;
        int steps;
        double endAngle;
    };
    const Case cases[] = {
        {"10x10 over 90", QRectF(0, 0, 10, 10), 0, 90, false, 10, 90},
        {"clockwise 90 to 0", QRectF(0, 0, 10, 10), 90, 0, true, 10, 0},
        {"too small for a step", QRectF(0, 0, 1, 1), 0, 30, false, 0, 0},
        {"zero span", QRectF(0, 0, 10, 10), 45, 45, false, 0, 45},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QPainterPath path;
        const int n = OVPathUtil::appendArcInRect(path, c.rect, c.from, c.to, c.clockwise, true);
        EXPECT_EQ(n, c.steps);
        EXPECT_EQ(path.elementCount(), n + 1);
        EXPECT_TRUE(path.elementAt(0).isMoveTo());
        const double radians = qDegreesToRadians(c.endAngle);
        const QPointF end = path.currentPosition();
        EXPECT_NEAR(end.x(), c.rect.center().x() + c.rect.width() / 2 * std::cos(radians), 1e-9);
        EXPECT_NEAR(end.y(), c.rect.center().y() + c.rect.height() / 2 * std::sin(radians), 1e-9);
    }

    QPainterPath joined;
    joined.moveTo(-5, -5);
    OVPathUtil::appendArcInRect(joined, QRectF(0, 0, 10, 10), 0, 90, false, false);
    EXPECT_TRUE(joined.elementAt(1).isLineTo());
}

TEST(PathUtil, RingSegmentRunsOutOnTheOuterArcAndBackOnTheInner)
{
    const QPainterPath ring = OVPathUtil::arcAroundPoint(QPointF(0, 0), 0, 90, 10, 5);
    const QPointF start = ring.elementAt(0);
    EXPECT_NEAR(start.x(), 10, 1e-9);
    EXPECT_NEAR(start.y(), 0, 1e-9);
    EXPECT_NEAR(ring.currentPosition().x(), 5, 1e-9);
    EXPECT_NEAR(ring.currentPosition().y(), 0, 1e-9);
    // The segment covers the first quadrant between the radii and nothing else.
    EXPECT_TRUE(ring.contains(QPointF(5.3, 5.3)));
    EXPECT_FALSE(ring.contains(QPointF(2, 2)));
    EXPECT_FALSE(ring.contains(QPointF(-5.3, 5.3)));
}

TEST(ColorUtil, BlendsEveryComponentIncludingAlpha)
{
    const QColor a = QColor::fromRgbF(1.0f, 0.0f, 0.2f, 1.0f);
    const QColor b = QColor::fromRgbF(0.0f, 1.0f, 0.6f, 0.0f);
    const QColor mid = OVColorUtil::blendedColor(a, 0.25, b);
    EXPECT_NEAR(mid.redF(), 0.75, 1e-4);
    EXPECT_NEAR(mid.greenF(), 0.25, 1e-4);
    EXPECT_NEAR(mid.blueF(), 0.3, 1e-4);
    EXPECT_NEAR(mid.alphaF(), 0.75, 1e-4);
    EXPECT_EQ(OVColorUtil::blendedColor(a, 1.0, b), b);
    EXPECT_FALSE(OVColorUtil::blendedColor(QColor(), 0.5, b).isValid());

    EXPECT_NEAR(OVColorUtil::redComponent(a), 1.0, 1e-4);
    EXPECT_NEAR(OVColorUtil::blueComponent(b), 0.6, 1e-4);
    EXPECT_NEAR(OVColorUtil::alphaComponent(b), 0.0, 1e-4);
    EXPECT_NEAR(OVColorUtil::whiteComponent(QColor::fromRgbF(0.3f, 0.3f, 0.3f)), 0.3, 1e-4);
}

TEST(ColorUtil, BrightnessAndSaturationScalingIsCappedAtOne)
{
    struct Case
    {
        const char *name;
        double factor;
        double brightness; // of the brightness-adjusted colour
        double saturation; // of the saturation-adjusted colour
    };
    // Base colour: saturation 0.5, brightness 0.6, alpha 0.8.
    const QColor base = QColor::fromHsvF(0.25f, 0.5f, 0.6f, 0.8f);
    const Case cases[] = {
        {"no change", 0.0, 0.6, 0.5},
        {"half again", 0.5, 0.9, 0.75},
        {"capped", 1.0, 1.0, 1.0},
        {"darker and greyer", -0.5, 0.3, 0.25},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OVColorUtil::HSB bright = OVColorUtil::hsb(OVColorUtil::brightnessAdjustedColor(base, c.factor));
        EXPECT_NEAR(bright.brightness, c.brightness, 1e-4);
        EXPECT_NEAR(bright.saturation, 0.5, 1e-4);
        EXPECT_NEAR(bright.hue, 0.25, 1e-4);
        EXPECT_NEAR(bright.alpha, 0.8, 1e-4);
        const OVColorUtil::HSB saturated = OVColorUtil::hsb(OVColorUtil::saturationAdjustedColor(base, c.factor));
        EXPECT_NEAR(saturated.saturation, c.saturation, 1e-4);
        EXPECT_NEAR(saturated.brightness, 0.6, 1e-4);
    }
}

TEST(ViewUtil, DarkModeFollowsThePaletteWindowColour)
{
    QWidget view;
    QPalette dark = view.palette();
    dark.setColor(QPalette::Window, QColor(40, 40, 45));
    view.setPalette(dark);
    EXPECT_TRUE(OVViewUtil::ovIsDarkMode(view));

    QPalette light = view.palette();
    light.setColor(QPalette::Window, QColor(236, 236, 236));
    view.setPalette(light);
    EXPECT_FALSE(OVViewUtil::ovIsDarkMode(view));
}

TEST(GraphicsUtil, RestrictPointClampsEachCoordinate)
{
    struct Case
    {
        const char *name;
        QPointF point;
        QPointF expected;
    };
    const QRectF rect(10, 20, 30, 40);
    const Case cases[] = {
        {"inside", QPointF(15, 25), QPointF(15, 25)},
        {"left of and above (y-up)", QPointF(0, 100), QPointF(10, 60)},
        {"right of and below", QPointF(99, -5), QPointF(40, 20)},
        {"on the far corner", QPointF(40, 60), QPointF(40, 60)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OVGraphicsUtil::restrictPoint(c.point, rect), c.expected);
    }
}
