// The hover read-out: the bubble's size from its texts, its frame over a graph (above, or below
// when there is no room), its place at the view's edges, the marker and the value dot.
#include "core/views/OVAttributedString.h"
#include "graphs/OVGraphHoverView.h"
#include "support/ImageCompare.h"
#include "support/draw_test_util.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace {

QImage render(OVGraphHoverView &hover)
{
    QImage image = transparentImage(hover.width(), hover.height());
    QPainter painter(&image);
    hover.paint(painter);
    return image;
}

struct HoverScene
{
    QWidget parent;
    QWidget *graph = new QWidget(&parent);
    OVGraphHoverView *hover = new OVGraphHoverView(&parent);

    explicit HoverScene(const QRect &graphFrame)
    {
        parent.resize(400, 300);
        graph->setGeometry(graphFrame);
        hover->timeString()->setString(QStringLiteral("11/10/13, 9:00 PM"));
        hover->label()->setString(QStringLiteral("64.0\u00B0"));
    }
    void place(double x)
    {
        hover->setGeometry(hover->frameForGraphView(*graph));
        hover->setX(x);
    }
};

} // namespace

TEST(OVGraphHoverView, StartsHiddenAndIsShownThroughItsOpacity)
{
    QWidget parent;
    QWidget sibling(&parent);
    OVGraphHoverView hover(&parent);
    QWidget later(&parent);
    EXPECT_TRUE(hover.isReadoutHidden());
    EXPECT_TRUE(hover.testAttribute(Qt::WA_TransparentForMouseEvents));
    hover.showReadout();
    EXPECT_FALSE(hover.isReadoutHidden());
    EXPECT_EQ(parent.children().last(), &hover) << "brought to the front";
    hover.hideReadout();
    EXPECT_TRUE(hover.isReadoutHidden());
}

TEST(OVGraphHoverView, BubbleContentSizeAddsTheSecondLabelAndTheTime)
{
    OVGraphHoverView hover;
    hover.label()->setString(QStringLiteral("Wind: \nPressure: "));
    const QSizeF label = hover.label()->size();
    EXPECT_EQ(hover.bubbleContentSize(), QSizeF(label.width() + 10, label.height() + 10));

    hover.label2()->setString(QStringLiteral("NW 12 mph\n29.92 inches\nmore"));
    const QSizeF label2 = hover.label2()->size();
    EXPECT_EQ(hover.bubbleContentSize(),
              QSizeF(label.width() + 10 + label2.width(), std::max(label.height(), label2.height()) + 10));

    hover.label2()->setString(QString());
    hover.timeString()->setString(QStringLiteral("Sunday, November 10, 2013 at 9:00:00 PM"));
    const QSizeF time = hover.timeString()->size();
    EXPECT_EQ(hover.bubbleContentSize(),
              QSizeF(std::max(label.width() + 10, time.width() + 10), label.height() + 10 + time.height() + 6));
    EXPECT_EQ(hover.timeString()->font()->pixelSize(), 10);
}

TEST(OVGraphHoverView, FrameLeavesRoomAboveTheGraphOrMovesTheBubbleBelowAtTheTop)
{
    HoverScene lower(QRect(50, 100, 200, 80));
    const double b = lower.hover->bubbleContentSize().height() + 6;
    EXPECT_EQ(lower.hover->frameForGraphView(*lower.graph), QRectF(39, 100 - b, 222, 80 + b).toAlignedRect());
    EXPECT_FALSE(lower.hover->drawBubbleOnBottom());

    HoverScene top(QRect(50, 0, 200, 80));
    EXPECT_EQ(top.hover->frameForGraphView(*top.graph), QRectF(39, 0, 222, 80 + b).toAlignedRect());
    EXPECT_TRUE(top.hover->drawBubbleOnBottom());

    top.hover->setCheckForBubbleSpace(false);
    EXPECT_EQ(top.hover->frameForGraphView(*top.graph), QRectF(39, -b, 222, 80 + b).toAlignedRect());
    EXPECT_FALSE(top.hover->drawBubbleOnBottom()) << "stays above, clipped";
}

TEST(OVGraphHoverView, BubbleStaysInsideTheViewWithItsTipUnderThePointer)
{
    HoverScene scene(QRect(50, 100, 200, 80));
    scene.place(0);
    EXPECT_EQ(scene.hover->bubbleBodyRect().left(), 2.0);

    scene.place(199);
    const QRectF body = scene.hover->bubbleBodyRect();
    EXPECT_EQ(body.right(), scene.hover->width() - 2.0);
    const double px = scene.hover->pointerX();
    EXPECT_EQ(px, 210.0);
    const QImage image = render(*scene.hover);
    const int tipRow = int(scene.hover->bubbleContentSize().height() + 6 - 2);
    EXPECT_GT(qAlpha(image.pixel(int(px), tipRow)), 128) << "the pointer triangle reaches under the pointer";
    EXPECT_EQ(qAlpha(image.pixel(int(px) - 8, tipRow)), 0);
}

TEST(OVGraphHoverView, ValueDotOnlyOnAStraightMarker)
{
    HoverScene scene(QRect(50, 100, 200, 80));
    scene.place(100);
    scene.hover->setDrawYPoint(true);
    scene.hover->setY(40);
    const int px = int(scene.hover->pointerX());
    const int dotY = int(40 + scene.hover->bubbleContentSize().height() + 6);
    EXPECT_EQ(render(*scene.hover).pixel(px + 1, dotY), qRgba(255, 255, 255, 255));
    scene.hover->setLineBulgeAmount(20);
    EXPECT_EQ(qAlpha(render(*scene.hover).pixel(px + 1, dotY)), 0) << "no dot on the cylinder";
}

TEST(OVGraphHoverView, ImagesAboveAndBelowTheGraph)
{
    for (const auto &[name, frame] : {std::pair{"graphs/hover_top", QRect(50, 100, 200, 80)},
                                      std::pair{"graphs/hover_bottom", QRect(50, 0, 200, 80)}}) {
        HoverScene scene(frame);
        scene.place(60);
        scene.hover->setDrawYPoint(true);
        scene.hover->setY(30);
        scene.hover->setLineColor(QColor::fromRgbF(0.31f, 0.32f, 0.32f));
        const QImage image = render(*scene.hover);
        EXPECT_TRUE(imageMatches(image, QString::fromLatin1(name), {2, image.width() * image.height() / 500}));
    }
}
