// The two-pane split view: layout within limits, the remembered position, dragging with
// snapping, hover cursors and the button bar.
#include "core/views/OVSplitView.h"

#include "core/views/OVYUp.h"
#include "support/draw_test_util.h"
#include "platform/OVUserDefaults.h"
#include "support/TestHelpers.h"

#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// A 400 x 300 split view with both panes, shown on the offscreen platform.
std::unique_ptr<OVSplitView> makeSplitView(const QString &saveName)
{
    auto view = std::make_unique<OVSplitView>();
    view->setPositionSaveName(saveName);
    view->resize(400, 300);
    view->setLeftView(new QWidget);
    view->setRightView(new QWidget);
    view->show();
    return view;
}

} // namespace

TEST(OVSplitView, LeftMaximumLimitsTheDividerAndTheStoredPosition)
{
    auto view = makeSplitView(QStringLiteral("limitTest"));
    view->setLeftViewMaxSize(80);
    view->setSplitPercent(0.5);
    EXPECT_EQ(OVYUp::frame(*view->leftView()), QRectF(0, 24, 80, 276));
    EXPECT_EQ(OVYUp::frame(*view->rightView()), QRectF(81, 0, 319, 300));
    EXPECT_DOUBLE_EQ(view->splitOffset(), 80.0);
    EXPECT_FLOAT_EQ(float(view->splitPercent()), 0.2f);
    EXPECT_FLOAT_EQ(float(OVUserDefaults::standard().doubleForKey(QStringLiteral("limitTest"))), 0.2f);

    struct Case
    {
        const char *name;
        std::function<void(OVSplitView &)> limit;
        double percent;
        double divider;
    };
    const Case cases[] = {
        {"left minimum", [](OVSplitView &v) { v.setLeftViewMinSize(120); }, 0.1, 120},
        {"right minimum", [](OVSplitView &v) { v.setRightViewMinSize(99); }, 0.9, 300},
        {"right maximum", [](OVSplitView &v) { v.setRightViewMaxSize(199); }, 0.1, 200},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto limited = makeSplitView(QStringLiteral("limitTable"));
        c.limit(*limited);
        limited->setSplitPercent(c.percent);
        EXPECT_EQ(limited->leftView()->width(), c.divider);
    }
}

TEST(OVSplitView, StartsFromTheStoredPosition)
{
    OVUserDefaults::standard().setObject(0.4f, OVSplitView::defaultSaveName());
    LogCapture log;
    OVSplitView view;
    EXPECT_DOUBLE_EQ(float(view.splitPercent()), 0.4f);
    EXPECT_TRUE(log.contains(QStringLiteral("split percent: 0.4")));
    OVUserDefaults::standard().removeObject(OVSplitView::defaultSaveName());
}

TEST(OVSplitView, DragNearTheSnapSizeSnaps)
{
    auto view = makeSplitView(QStringLiteral("dragTest"));
    view->setSplitPercent(0.25);
    view->setSnapSize(150);
    EXPECT_FALSE(view->isSnapped());
    ASSERT_EQ(view->leftView()->width(), 100);

    // Press on the divider (x 100), drag 41 points: 9 short of the snap size.
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 150));
    EXPECT_EQ(view->cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseMove(view.get(), QPoint(141, 150));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(141, 150));
    EXPECT_EQ(view->leftView()->width(), 150);
    EXPECT_TRUE(view->isSnapped());

    // Further than 10 points away the divider follows the mouse.
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
    QTest::mouseMove(view.get(), QPoint(200, 150));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    EXPECT_EQ(view->leftView()->width(), 200);
    EXPECT_FALSE(view->isSnapped());

    // A press elsewhere starts no drag.
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 150));
    QTest::mouseMove(view.get(), QPoint(320, 150));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(320, 150));
    EXPECT_EQ(view->leftView()->width(), 200);
}

TEST(OVSplitView, HoverOverDividerOrGripShowsTheSplitCursor)
{
    auto view = makeSplitView(QStringLiteral("hoverTest"));
    view->setSplitPercent(0.25);
    LogCapture log;
    QTest::mouseMove(view.get(), QPoint(100, 100)); // the divider line
    EXPECT_EQ(view->cursor().shape(), Qt::SplitHCursor);
    QTest::mouseMove(view.get(), QPoint(200, 100)); // onto the right pane
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(view->rightView()->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(view.get(), QPoint(90, 290)); // the bar's grip square (y-up 0..23)
    EXPECT_EQ(view->cursor().shape(), Qt::SplitHCursor);
    EXPECT_EQ(log.lines(), (QStringList{QStringLiteral("entered split"), QStringLiteral("exited split"),
                                        QStringLiteral("entered bar")}));
}

TEST(OVSplitView, ButtonBarLaysOutTheSpecialButtons)
{
    auto view = makeSplitView(QStringLiteral("buttonTest"));
    QStringList pressed;
    for (int index : {0, 1, 2, 3, 4})
        view->addSpecialButton(index, [&pressed, index] { pressed << QString::number(index); },
                               {{QStringLiteral("tooltip"), QStringLiteral("button %1").arg(index)}});
    const QList<QToolButton *> buttons = view->shownButtons();
    ASSERT_EQ(buttons.size(), 4);
    double x = 0;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const QPixmap image = view->specialImage(i);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(OVYUp::frame(*buttons[i]), QRectF(x, 0, image.width(), 23));
        EXPECT_EQ(buttons[i]->toolTip(), QStringLiteral("button %1").arg(i));
        x += image.width();
    }
    QTest::mouseClick(buttons[2], Qt::LeftButton);
    EXPECT_EQ(pressed, QStringList{QStringLiteral("2")});

    view->specialButtonSetEnabled(1, false);
    view->specialButtonSetToolTip(3, QStringLiteral("About"));
    EXPECT_FALSE(buttons[1]->isEnabled());
    EXPECT_TRUE(buttons[0]->isEnabled());
    EXPECT_EQ(buttons[3]->toolTip(), QStringLiteral("About"));

    // Buttons stay fixed to the lower left when the view resizes.
    view->resize(400, 200);
    EXPECT_EQ(view->shownButtons().first()->geometry().bottom(), 199);
    view->clearButtons();
    EXPECT_TRUE(view->shownButtons().isEmpty());
}

TEST(OVSplitView, DrawsTheDividerAndTheBarGrips)
{
    auto view = makeSplitView(QStringLiteral("drawTest"));
    view->setSplitPercent(0.25);
    QImage image = transparentImage(400, 300);
    view->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    EXPECT_TRUE(sameColor(pixelAt(image, 100, 100), QColor(165, 165, 165)));
    // Grip lines at x = left width - 11, - 8, - 5, from y-up 6 to 16 (image rows 284..293).
    for (int x : {89, 92, 95})
        EXPECT_TRUE(sameColor(pixelAt(image, x, 290), QColor(92, 92, 92)));
    EXPECT_FALSE(sameColor(pixelAt(image, 90, 290), QColor(92, 92, 92)));
}
