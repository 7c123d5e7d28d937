// The main window's content view on its own, with a map that records its zoom: the layout of
// the three display modes at the edges of the graph height and of the width halving, the
// animated mode change with its zoom rescale, the plain resize, the delayed set-up and the
// header bar.
#include "AppTestSupport.h"
#include "ViewTestSupport.h"
#include "app/NBBaseView.h"
#include "app/NBCurrentConditionsView.h"
#include "core/views/OVGraphContainer.h"
#include "graphs/NBMultiGraphContainerView.h"
#include "weather/OVWeatherLocation.h"

#include <gtest/gtest.h>

#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QTest>
#include <QToolButton>

namespace {

class BaseViewTest : public testing::Test
{
protected:
    /// A content view of that size at (0, 0) in a parent of the same size, panels set up.
    NBBaseView &make(int width, int height)
    {
        host = std::make_unique<QWidget>();
        host->resize(width, height);
        base = new NBBaseView(host.get());
        base->setGeometry(0, 0, width, height);
        base->setMapFactory([this](QWidget *parent) {
            auto recording = std::make_unique<RecordingMap>(parent);
            map = recording.get();
            return recording;
        });
        base->setupViews();
        host->show();
        return *base;
    }
    void resize(int width, int height)
    {
        host->resize(width, height);
        base->setGeometry(0, 0, width, height);
    }

    QWidget *graphs() const { return base->graphContainerView()->view(); }
    QWidget *mapView() const { return map->view(); }
    QList<QWidget *> panels() const
    {
        return {base->currentConditionsView(), base->forecastView(), base->timeView(), graphs(), mapView()};
    }
    QList<QRect> frames() const
    {
        QList<QRect> result;
        for (QWidget *panel : panels())
            result << panel->geometry();
        return result;
    }
    /// The panel drawn above all others.
    QWidget *topPanel() const
    {
        QWidget *top = nullptr;
        for (QObject *child : base->children()) {
            if (auto *widget = qobject_cast<QWidget *>(child))
                top = widget;
        }
        return top;
    }
    /// Runs the mode change's animation to its end and checks its form on the way.
    void finishModeAnimation(const QList<QRect> &expected)
    {
        QPointer<QParallelAnimationGroup> group = base->modeAnimation();
        ASSERT_TRUE(group);
        ASSERT_EQ(group->animationCount(), 5);
        for (int i = 0; i < 5; ++i) {
            auto *move = qobject_cast<QPropertyAnimation *>(group->animationAt(i));
            ASSERT_TRUE(move);
            EXPECT_EQ(move->duration(), NBBaseView::kModeAnimationMs);
            EXPECT_EQ(move->propertyName(), "geometry");
            EXPECT_EQ(move->targetObject(), panels()[i]);
            EXPECT_EQ(move->endValue().toRect(), expected[i]) << "panel " << i;
        }
        group->setCurrentTime(group->duration());
        EXPECT_EQ(frames(), expected);
    }

    ViewTestData data;
    std::unique_ptr<QWidget> host;
    NBBaseView *base = nullptr;
    RecordingMap *map = nullptr;
};

// Mode 0 in Qt coordinates: header 0-32, conditions at 38 (42 high), forecast and dial at 86
// (196 high), graphs and map from 288 down to 6 above the bottom, or 100 high and hidden.
struct LayoutCase
{
    int width, height;
    QRect graphs, map;
    bool lowerShown;
};

TEST_F(BaseViewTest, ModeZeroLayoutAtTheEdges)
{
    const LayoutCase cases[] = {
        {1001, 394, QRect(7, 288, 494, 100), QRect(506, 288, 488, 100), false},
        {1001, 395, QRect(7, 288, 494, 101), QRect(506, 288, 488, 101), true},
        {1000, 600, QRect(7, 288, 493, 306), QRect(505, 288, 488, 306), true},
        {1001, 300, QRect(7, 288, 494, 100), QRect(506, 288, 488, 100), false},
    };
    for (const LayoutCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        make(c.width, c.height);
        EXPECT_EQ(base->currentConditionsView()->geometry(), QRect(7, 38, c.width - 13, 42));
        EXPECT_EQ(base->forecastView()->geometry(), QRect(7, 86, c.width - 192, 196));
        EXPECT_EQ(base->timeView()->geometry(), QRect(c.width - 179, 86, 173, 196));
        EXPECT_EQ(graphs()->geometry(), c.graphs);
        EXPECT_EQ(mapView()->geometry(), c.map);
        EXPECT_EQ(!graphs()->isHidden(), c.lowerShown);
        EXPECT_EQ(!mapView()->isHidden(), c.lowerShown);
        for (QWidget *upper : {static_cast<QWidget *>(base->currentConditionsView()), base->forecastView(), base->timeView()})
            EXPECT_FALSE(upper->isHidden());
        EXPECT_FALSE(base->modeAnimation());
        EXPECT_TRUE(map->zooms.isEmpty());
    }
}

TEST_F(BaseViewTest, FullSizeModesFillTheContentAreaAndOtherModesMoveNothing)
{
    struct ModeCase
    {
        int mode;
        int fullPanel; // index in panels(), -1: none
    };
    for (const ModeCase c : {ModeCase{1, 4}, ModeCase{2, 3}, ModeCase{5, -1}}) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        make(1001, 700);
        QList<QRect> expected = frames();
        if (c.fullPanel >= 0)
            expected[c.fullPanel] = QRect(7, 38, 1001 - 13, 700 - 44);
        base->setActiveMode(c.mode);
        base->positionSubviews();
        finishModeAnimation(expected);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(panels()[i]->isHidden(), c.fullPanel >= 0 && i != c.fullPanel) << "panel " << i;
        if (c.fullPanel >= 0) { // on top of the others
            EXPECT_EQ(topPanel(), panels()[c.fullPanel]);
        }
    }
}

TEST_F(BaseViewTest, GraphStacksSizeButtonShowsTheGraphsAloneAndBack)
{
    make(1001, 700);
    const QList<QRect> allPanels = frames();
    auto *stack = qobject_cast<NBMultiGraphContainerView *>(graphs());
    ASSERT_NE(stack, nullptr);
    QToolButton *button = stack->fullSizeButton();

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(base->activeMode(), NBBaseView::GraphsFullSize);
    EXPECT_EQ(button->property("imageName").toString(), QStringLiteral("exit_fullscreen_20"));
    QList<QRect> graphsAlone = allPanels;
    graphsAlone[3] = QRect(7, 38, 1001 - 13, 700 - 44); // the content area inset by 6
    finishModeAnimation(graphsAlone);
    EXPECT_TRUE(mapView()->isHidden());

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(base->activeMode(), NBBaseView::AllPanels);
    EXPECT_EQ(button->property("imageName").toString(), QStringLiteral("enter_fullscreen_20"));
    finishModeAnimation(allPanels);
    EXPECT_FALSE(mapView()->isHidden());
}

TEST_F(BaseViewTest, MapModeAndBackKeepsTheMapScaleAndAnimatesBothWays)
{
    make(1001, 700);
    const QList<QRect> allPanels = frames();
    const double startZoom = map->zoom();

    base->setActiveMode(NBBaseView::MapFullSize);
    base->positionSubviews();
    QList<QRect> mapFull = allPanels;
    mapFull[4] = QRect(7, 38, 988, 656);
    finishModeAnimation(mapFull);

    base->setActiveMode(NBBaseView::AllPanels);
    base->positionSubviews();
    finishModeAnimation(allPanels);

    // Zoom follows the width: 488 -> 988 -> 488; the two ratios multiply to 1.
    ASSERT_EQ(map->zooms.size(), 2);
    EXPECT_DOUBLE_EQ(map->zooms[0], startZoom * 988.0 / 488.0);
    EXPECT_NEAR(map->zooms[1], startZoom, 1e-12);
    EXPECT_FALSE(mapView()->isHidden());
    EXPECT_FALSE(base->currentConditionsView()->isHidden());
}

TEST_F(BaseViewTest, ResizeSetsFramesAtOnceAndLeavesTheZoom)
{
    for (const int mode : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        make(1001, 700);
        base->setActiveMode(mode);
        base->positionSubviews();
        if (QPointer<QParallelAnimationGroup> group = base->modeAnimation())
            group->setCurrentTime(group->duration());
        map->zooms.clear();

        resize(1201, 800);
        EXPECT_FALSE(base->modeAnimation());
        EXPECT_TRUE(map->zooms.isEmpty());
        EXPECT_EQ(mapView()->geometry(), mode == 0 ? QRect(606, 288, 588, 506) : QRect(7, 38, 1188, 756));
        if (mode == 0) {
            EXPECT_EQ(base->currentConditionsView()->geometry(), QRect(7, 38, 1188, 42));
        }
    }
}

TEST_F(BaseViewTest, PanelsAppearHalfASecondAfterSetUpOnTheControllersClock)
{
    FakeScheduler scheduler;
    QWidget parent;
    parent.resize(800, 600);
    auto *view = new NBBaseView(&parent);
    view->setGeometry(0, 0, 800, 600);
    view->awakeFromNib(scheduler);
    scheduler.advance(0.49);
    EXPECT_FALSE(view->hasPanels());
    EXPECT_FALSE(view->findChild<NBCurrentConditionsView *>());
    view->positionSubviews(); // reaches no panels yet
    scheduler.advance(0.01);
    ASSERT_TRUE(view->hasPanels());
    EXPECT_EQ(view->currentConditionsView()->geometry(), QRect(7, 38, 787, 42));
}

TEST_F(BaseViewTest, HeaderTitleFollowsTheCurrentLocationAndItsFirstObservation)
{
    make(900, 500);
    const auto denver = placeFrom(denverDictionary());

    base->setCurrentLocation(nullptr);
    EXPECT_EQ(base->headerTitle(), "No Location Selected...");
    base->setCurrentLocation(denver);
    EXPECT_EQ(base->headerTitle(), "Fetching Weather for Denver, Colorado, United States...");
    data.store(observation(50.0), "KDEN");
    EXPECT_EQ(base->headerTitle(), "Denver, Colorado, United States");

    // Drawn: the blue bar across the top (from x = 1), the grey ground below it.
    const QImage image = base->grab().toImage();
    const auto rgb = [&](int x, int y) { return QColor(image.pixel(x, y)); };
    EXPECT_EQ(rgb(4, 16), QColor(0, 181, 242));
    EXPECT_EQ(rgb(0, 16), QColor(107, 115, 115));
    EXPECT_EQ(rgb(4, 34), QColor(107, 115, 115));
}

} // namespace
