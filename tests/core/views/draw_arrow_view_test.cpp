// The wind-direction disc: geometry, the direction it shows, and the swing animation.
#include "core/views/OVCircularArrowView.h"
#include "support/draw_test_util.h"
#include "support/TestHelpers.h"

#include <QVariantAnimation>

#include <gtest/gtest.h>

namespace {

// Centre of the transparent cut-out inside the disc (the arrow), in image pixels.
QPointF cutOutCentre(const QImage &image, const QRectF &disc)
{
    double sx = 0, sy = 0;
    int n = 0;
    const QPointF centre = disc.center();
    const double radius = disc.width() / 2.0 - 2.0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QPointF p(x + 0.5, y + 0.5);
            if (QLineF(p, centre).length() < radius && image.pixelColor(x, y).alpha() < 20) {
                sx += p.x();
                sy += p.y();
                ++n;
            }
        }
    return n ? QPointF(sx / n, sy / n) : centre;
}

} // namespace

TEST(OVCircularArrowView, GeometryOfAFortyByThirtyView)
{
    const auto g = OVCircularArrowView::geometryForBounds(QRectF(0, 0, 40, 30));
    EXPECT_EQ(g.disc, QRectF(6, 1, 28, 28));
    EXPECT_DOUBLE_EQ(g.length, 16.8);
    EXPECT_DOUBLE_EQ(g.shaftWidth, 5.0);
    EXPECT_DOUBLE_EQ(g.headLength, 16.0);

    OVCircularArrowView view;
    view.resize(40, 30);
    EXPECT_EQ(view.arrowPath().boundingRect(), QRectF(6, 1, 28, 28));
}

TEST(OVCircularArrowView, ArrowPointsWhereTheWindBlowsTo)
{
    struct Case
    {
        const char *name;
        double direction;
        QPointF offset; // sign of the cut-out's centre relative to the disc centre (image axes)
    };
    const Case cases[] = {
        {"from the east: tip left", 90, QPointF(-1, 0)},
        {"from the north: tip below", 0, QPointF(0, 1)},
        {"from the south: tip above", 180, QPointF(0, -1)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVCircularArrowView view;
        view.resize(40, 30);
        view.setDirection(c.direction, false);
        const QImage image = renderWidget(view);
        // The disc is translucent white; the arrow is cut out of it.
        EXPECT_TRUE(sameColor(pixelAt(image, 13, 26), QColor::fromRgbF(1, 1, 1, 0.7f), 3));
        const QPointF shift = cutOutCentre(image, QRectF(6, 1, 28, 28)) - QPointF(20, 15);
        // The arrow's head is heavier than its tail, so the cut-out's centre leans to the tip.
        EXPECT_GT(shift.x() * c.offset.x() + shift.y() * c.offset.y(), 0.5);
        EXPECT_LT(std::abs(shift.x() * c.offset.y()) + std::abs(shift.y() * c.offset.x()), 0.5);
    }
}

TEST(OVCircularArrowView, TurnSwingsTheShortWayAndSettles)
{
    OVCircularArrowView view;
    view.resize(40, 30);
    view.setDirection(350, false);
    EXPECT_DOUBLE_EQ(view.lastDirection(), -170);

    view.setDirection(10, true);
    const QVariantAnimation *animation = view.animation();
    ASSERT_EQ(animation->state(), QAbstractAnimation::Running);
    EXPECT_EQ(animation->duration(), 1500);
    const auto keys = animation->keyValues();
    ASSERT_EQ(keys.size(), 32);
    EXPECT_DOUBLE_EQ(keys.first().first, 0.0);
    EXPECT_DOUBLE_EQ(keys.last().first, 1.0);
    // Through north: from 190 (= -170) settling on 170, never the long way round.
    EXPECT_DOUBLE_EQ(keys.first().second.toDouble(), 190.0);
    for (const auto &key : keys) {
        EXPECT_GE(key.second.toDouble(), 160.0);
        EXPECT_LE(key.second.toDouble(), 195.0);
    }
    EXPECT_NEAR(keys.last().second.toDouble(), 170.0, 0.05);
    EXPECT_TRUE(waitUntil([&] { return animation->state() == QAbstractAnimation::Stopped; }, 4000));
    EXPECT_NEAR(view.currentRotation(), 170.0, 0.05);
}

TEST(OVCircularArrowView, SameDirectionTwiceStartsNothing)
{
    OVCircularArrowView view;
    int starts = 0;
    QObject::connect(view.animation(), &QAbstractAnimation::stateChanged, &view,
                     [&](QAbstractAnimation::State state) { starts += state == QAbstractAnimation::Running; });
    view.setDirection(90);
    view.setDirection(90);
    view.setDirection(90.05);
    EXPECT_EQ(starts, 1);
}
