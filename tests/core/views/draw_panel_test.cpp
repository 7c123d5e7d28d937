// Panel chrome: the rounded panel base, the slim scroller, the split view's divider and the
// button title colour.
#include "core/views/NBButtonTextColor.h"
#include "core/views/NBParentView.h"
#include "core/NBPrefController.h"
#include "core/views/NBScroller.h"
#include "core/views/NBSplitView.h"
#include "core/views/OVColorUtil.h"
#include "support/draw_test_util.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

QColor storeColor(const char *key)
{
    return NBPrefController::settingForKey(QLatin1String(key)).value<QColor>();
}

class PanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        NBPrefController::resetStore();
        NBPrefController::initSettings();
    }
};

// A panel subclass that fills its drawing area in red, clipped as subclasses are told to.
class RedPanel : public NBParentView
{
protected:
    void drawRect(QPainter &painter, const QRectF &dirty) override
    {
        NBParentView::drawRect(painter, dirty);
        painter.save();
        painter.setClipPath(clippingPath());
        painter.fillRect(drawingRect(), Qt::red);
        painter.restore();
    }
};

} // namespace

TEST_F(PanelTest, PanelGeometryAndGradients)
{
    NBParentView panel;
    panel.resize(100, 50);
    EXPECT_DOUBLE_EQ(NBParentView::cornerRadius(), 8.0);
    EXPECT_EQ(panel.outerRect(), QRectF(0, 0, 100, 50));
    EXPECT_EQ(panel.innerRect(), QRectF(3, 3, 94, 44));
    EXPECT_EQ(panel.drawingRect(), QRectF(3, 3, 94, 44));
    EXPECT_EQ(panel.clippingPath().boundingRect(), QRectF(3, 3, 94, 44));
    EXPECT_FALSE(panel.flipped());
    panel.setFlipped(true);
    EXPECT_TRUE(panel.flipped());

    EXPECT_EQ(panel.borderGradient(), OVGradient(storeColor("OVColorLightBackground"), storeColor("OVColorDarkBackground")));
    EXPECT_EQ(panel.backgroundGradient(),
              OVGradient(storeColor("OVColorDarkBackground"), storeColor("OVColorLightBackground")));
}

TEST_F(PanelTest, PanelIsTransparentOutsideItsRoundedFill)
{
    NBParentView panel;
    panel.resize(100, 50);
    const QImage image = renderWidget(panel);
    EXPECT_EQ(pixelAt(image, 0, 0).alpha(), 0);
    EXPECT_EQ(pixelAt(image, 99, 49).alpha(), 0);
    EXPECT_TRUE(sameColor(pixelAt(image, 50, 25), storeColor("viewBackgroundColor")));
    EXPECT_TRUE(sameColor(pixelAt(image, 50, 0), storeColor("viewBackgroundColor")));
}

TEST_F(PanelTest, SubclassDrawingClippedToTheInnerRoundedRectangle)
{
    for (bool flipped : {false, true}) {
        SCOPED_TRACE(flipped);
        RedPanel panel;
        panel.setFlipped(flipped);
        panel.resize(100, 50);
        const QImage image = renderWidget(panel);
        EXPECT_TRUE(sameColor(pixelAt(image, 50, 25), Qt::red));
        // The inner corners lie outside the radius-5 clip: the panel fill shows there.
        for (const QPoint corner : {QPoint(3, 3), QPoint(96, 46)})
            EXPECT_TRUE(sameColor(pixelAt(image, corner.x(), corner.y()), storeColor("viewBackgroundColor")));
        EXPECT_TRUE(sameColor(pixelAt(image, 1, 25), storeColor("viewBackgroundColor")));
    }
}

TEST_F(PanelTest, ScrollerShapeDecidesItsOrientation)
{
    struct Case
    {
        QSize size;
        bool vertical;
    };
    for (const Case c : {Case{QSize(15, 15), false}, Case{QSize(15, 16), true}, Case{QSize(100, 15), false}}) {
        SCOPED_TRACE(c.size.height());
        NBScroller scroller;
        scroller.resize(c.size);
        EXPECT_EQ(scroller.isOrientationVertical(), c.vertical);
        scroller.show(); // the scroll bar's own orientation follows once the resize is delivered
        EXPECT_EQ(scroller.orientation(), c.vertical ? Qt::Vertical : Qt::Horizontal);
    }
    NBScroller scroller;
    scroller.setArrowsPosition(0);
    EXPECT_EQ(scroller.arrowsPosition(), NBScroller::kArrowsNone);
}

TEST_F(PanelTest, ScrollerDrawsASlotAndANarrowedKnob)
{
    NBScroller scroller;
    scroller.resize(15, 100);
    scroller.setRange(0, 100);
    scroller.setPageStep(100); // the knob covers half the slot
    scroller.setValue(0);
    EXPECT_EQ(scroller.knobSlotRect(), QRectF(0, 0, 15, 100));
    EXPECT_EQ(scroller.knobRect(), QRectF(0, 0, 15, 50));
    EXPECT_EQ(scroller.knobPath().boundingRect(), QRectF(3, 1, 9, 48));
    EXPECT_EQ(scroller.backgroundColor(), storeColor("viewBackgroundColor"));
    EXPECT_FALSE(scroller.backgroundGradient());
    EXPECT_FALSE(scroller.knobGradient());

    const QImage image = renderWidget(scroller);
    const QColor slot = storeColor("viewBackgroundColor");
    const QColor frame = QColor::fromRgbF(0.15f, 0.15f, 0.15f);
    EXPECT_TRUE(sameColor(pixelAt(image, 0, 70), frame));
    EXPECT_TRUE(sameColor(pixelAt(image, 7, 99), frame));
    EXPECT_TRUE(sameColor(pixelAt(image, 7, 70), slot));
    // Knob: translucent white over the slot, 9 wide (x 3..11), no outline at its edge.
    const QColor knob = OVColorUtil::blendedColor(slot, 0.6, Qt::white); // white at 60% over the slot
    EXPECT_TRUE(sameColor(pixelAt(image, 7, 25), knob, 3)) << pixelAt(image, 7, 25).name().toStdString();
    EXPECT_TRUE(sameColor(pixelAt(image, 3, 25), knob, 3));
    EXPECT_TRUE(sameColor(pixelAt(image, 11, 25), knob, 3));
    EXPECT_TRUE(sameColor(pixelAt(image, 2, 25), slot));
    EXPECT_TRUE(sameColor(pixelAt(image, 12, 25), slot));
    // Radius 4: the knob's corner pixel is rounded away.
    EXPECT_FALSE(sameColor(pixelAt(image, 3, 1), knob, 3));
}

TEST_F(PanelTest, ScrollerWithoutSlotColourDrawsNoSlot)
{
    NBScroller scroller;
    scroller.resize(100, 15);
    scroller.setBackgroundColor(QColor());
    scroller.setRange(0, 100);
    scroller.setPageStep(100);
    const QImage image = renderWidget(scroller);
    EXPECT_EQ(pixelAt(image, 99, 7).alpha(), 0);
    EXPECT_EQ(pixelAt(image, 80, 0).alpha(), 0);
}

TEST_F(PanelTest, SplitViewDividerFollowsTheAppearance)
{
    NBSplitView split;
    EXPECT_EQ(split.handleWidth(), 4);
    QPalette palette = split.palette();
    palette.setColor(QPalette::Window, QColor(30, 30, 30));
    split.setPalette(palette);
    EXPECT_EQ(split.dividerColor(), QColor::fromRgbF(0.3f, 0.3f, 0.3f));
    palette.setColor(QPalette::Window, QColor(230, 230, 230));
    split.setPalette(palette);
    EXPECT_EQ(split.dividerColor(), QColor::fromRgbF(0.8f, 0.8f, 0.8f));

    split.addWidget(new QWidget);
    split.addWidget(new QWidget);
    split.resize(200, 40);
    split.setSizes({100, 96});
    const QImage image = renderWidget(split);
    const int handleX = split.handle(1)->geometry().center().x();
    EXPECT_TRUE(sameColor(pixelAt(image, handleX, 20), QColor::fromRgbF(0.8f, 0.8f, 0.8f)));
}

TEST_F(PanelTest, ButtonTextColourReadsAndSetsTheTitleColourOnly)
{
    QPushButton button(QStringLiteral("Go"));
    const QColor background = button.palette().color(QPalette::Button);
    NBButtonTextColor::setTextColor(button, Qt::magenta);
    EXPECT_EQ(NBButtonTextColor::textColor(button), QColor(Qt::magenta));
    EXPECT_EQ(button.palette().color(QPalette::Button), background);
}
