// The bubble that hosts popovers, the filled status overlay and the status panel.
#include "core/views/OVBubbleView.h"
#include "core/views/OVFilledView.h"
#include "core/views/OVStatusView.h"
#include "core/views/OVYUp.h"
#include "support/draw_test_util.h"
#include "support/TestHelpers.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include <gtest/gtest.h>

namespace {

QWidget *contentOfSize(int width, int height)
{
    auto *content = new QWidget;
    content->resize(width, height);
    return content;
}

} // namespace

TEST(OVBubbleView, HostsItsContentBesideTheArrow)
{
    OVBubbleView bubble;
    EXPECT_EQ(bubble.requestedSize(), QSizeF(16, 8));
    QWidget *content = contentOfSize(200, 100);
    bubble.setContentView(content);
    EXPECT_EQ(bubble.requestedSize(), QSizeF(216, 108));
    bubble.resize(bubble.requestedSize().toSize());

    struct Case
    {
        int mode;
        QRectF contentFrame; // y-up
        int tipColumn;
    };
    for (const Case c : {Case{0, QRectF(16, 4, 200, 100), 0}, Case{1, QRectF(4, 4, 200, 100), 215}}) {
        SCOPED_TRACE(c.mode);
        bubble.setArrowDisplayMode(c.mode);
        EXPECT_EQ(OVYUp::frame(*content), c.contentFrame);
        // The tip sits r + a below the body's top (y-up 104 - 5 - 15 = 84, image row 24).
        bubble.setContentView(nullptr);
        const QImage image = renderWidget(bubble);
        bubble.setContentView(content = contentOfSize(200, 100));
        EXPECT_GT(pixelAt(image, c.tipColumn, 24).alpha(), 0);
        EXPECT_EQ(pixelAt(image, c.tipColumn, 60).alpha(), 0);
        EXPECT_TRUE(sameColor(pixelAt(image, 108, 54), bubble.fillColor()));
        // The 1-wide outline straddles the body's top edge (image row 4): half of it in row 3.
        const QColor outline = pixelAt(image, 108, 3);
        EXPECT_NEAR(outline.alpha(), 128, 30);
        EXPECT_NEAR(outline.red(), bubble.strokeColor().red(), 3);
    }
}

TEST(OVBubbleView, OtherModesDrawAndMoveNothing)
{
    OVBubbleView bubble;
    bubble.resize(216, 108);
    QWidget *content = contentOfSize(50, 50);
    bubble.setContentView(content);
    bubble.setArrowDisplayMode(2);
    content->move(30, 30);
    bubble.resize(220, 110);
    EXPECT_EQ(content->pos(), QPoint(30, 30));
    EXPECT_TRUE(bubble.bubblePath().isEmpty());
    bubble.setContentView(nullptr);
    EXPECT_TRUE(inkBounds(renderWidget(bubble)).isEmpty());
}

TEST(OVFilledView, GradientWinsOverColourAndRunsUpward)
{
    OVFilledView view;
    view.resize(30, 30);
    view.setBackgroundColor(Qt::green);
    view.setBackgroundGradient(OVGradient(Qt::red, Qt::blue));
    const QImage image = renderWidget(view);
    EXPECT_TRUE(sameColor(pixelAt(image, 15, 29), Qt::red, 10));
    EXPECT_TRUE(sameColor(pixelAt(image, 15, 0), Qt::blue, 10));
    for (int y = 0; y < 30; ++y)
        EXPECT_GT(pixelAt(image, 15, y).blue() + pixelAt(image, 15, y).red(), 200);
}

TEST(OVFilledView, CentredImageStaysUprightInBothOrientations)
{
    QImage picture(10, 10, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x)
            picture.setPixelColor(x, y, Qt::red); // top half red

    for (bool flipped : {false, true}) {
        SCOPED_TRACE(flipped);
        OVFilledView view;
        view.setFlipped(flipped);
        view.resize(30, 30);
        view.setBackgroundColor(Qt::white);
        view.setCenteredImage(picture);
        const QImage image = renderWidget(view);
        EXPECT_TRUE(sameColor(pixelAt(image, 15, 11), Qt::red));
        EXPECT_TRUE(sameColor(pixelAt(image, 15, 18), Qt::blue));
        EXPECT_TRUE(sameColor(pixelAt(image, 15, 9), Qt::white));
        EXPECT_TRUE(sameColor(pixelAt(image, 15, 20), Qt::white));
    }
}

TEST(OVFilledView, CentredTextSitsInTheMiddle)
{
    OVFilledView view;
    view.resize(200, 60);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    view.setCenteredText(std::make_shared<OVAttributedString>(
        QStringLiteral("No data"),
        QVariantMap{{OVFontAttributeName, font}, {OVForegroundColorAttributeName, QColor(Qt::black)}}));
    const QRect ink = inkBounds(renderWidget(view));
    EXPECT_NEAR(ink.center().x(), 100, 3);
    EXPECT_NEAR(ink.center().y(), 30, 4);
}

TEST(OVStatusView, LaysOutLabelAndSpinner)
{
    std::unique_ptr<OVStatusView> status(OVStatusView::statusViewWithText(QStringLiteral("Loading")));
    EXPECT_EQ(status->size(), QSize(350, 52));
    EXPECT_EQ(status->statusLabel()->text(), QStringLiteral("Loading"));
    EXPECT_EQ(OVYUp::frame(*status->statusLabel()), QRectF(10, 18, 298, 17));
    EXPECT_EQ(OVYUp::frame(*status->progress()), QRectF(308, 10, 32, 32));
    status->setProgressPercent(40);
    EXPECT_EQ(status->progress()->value(), 40);
}

TEST(OVStatusView, OpensAsPanelOrSheetAndCloses)
{
    std::unique_ptr<OVStatusView> status(OVStatusView::statusViewWithText(QStringLiteral("Saving")));
    status->open();
    ASSERT_TRUE(status->panel());
    EXPECT_TRUE(status->panel()->isVisible());
    EXPECT_EQ(status->progress()->maximum(), 0); // busy
    status->close();
    EXPECT_FALSE(status->panel());
    EXPECT_EQ(status->progress()->maximum(), 100);

    QWidget window;
    window.resize(400, 300);
    window.show();
    status->openAsSheetOfWindow(&window);
    EXPECT_TRUE(status->openedAsSheet());
    ASSERT_TRUE(status->panel());
    EXPECT_EQ(status->panel()->windowModality(), Qt::WindowModal);
    EXPECT_EQ(status->panel()->parentWidget(), &window);
    status->close();
    EXPECT_FALSE(status->openedAsSheet());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(status->statusLabel()->text(), QStringLiteral("Saving"));
}
