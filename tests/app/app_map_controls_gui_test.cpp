// The map's controls in the main window under the X server: the full-size button with the real
// content view (map engine on stub layers), and on the launched controller the tab, the gear's
// settings bubble, the full-size button and the particle loading indicator, whose click opens
// the activity panel. Screenshots go to the test's artefact folder.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "app/NBBaseView.h"
#include "app/NBSecondaryWindows.h"
#include "core/NBRegisteredDefaults.h"
#include "core/remote/OVURLManager.h"
#include "core/views/OVGraphContainer.h"
#include "map/views/NBMapControlView.h"
#include "map/views/NBMapPrefsPopover.h"
#include "map/views/NBMapView.h"
#include "map/views/NBMapViewController.h"
#include "map/OVMapSettings.h"
#include "support/MapViewRig.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QScreen>
#include <QTest>
#include <QToolButton>


namespace {

QString imageName(const QToolButton *button)
{
    return button->property("imageName").toString();
}

// Full size on the content view -------------------------------------------------------------

class MapFullSizeTest : public testing::Test
{
protected:
    MapViewRig rig;
};

TEST_F(MapFullSizeTest, TheButtonShowsTheMapAloneAndAllPanelsAgain)
{
    QWidget host;
    host.resize(1000, 700);
    auto *base = new NBBaseView(&host);
    base->setGeometry(0, 0, 1000, 700);
    NBMapViewController *map = nullptr;
    base->setMapFactory([&](QWidget *parent) {
        auto made = std::make_unique<NBMapViewController>(parent, rig.environment());
        map = made.get();
        return made;
    });
    base->setupViews();
    host.show();
    ASSERT_TRUE(map && map->mapView());
    QToolButton *button = map->fullSizeButton();
    EXPECT_EQ(imageName(button), QStringLiteral("enter_fullscreen_20"));
    const QRect normal = map->mapView()->geometry();

    const struct
    {
        int mode;
        const char *image;
        bool graphsShown;
    } steps[] = {{1, "exit_fullscreen_20", false}, {0, "enter_fullscreen_20", true}};
    for (const auto &step : steps) {
        SCOPED_TRACE(step.mode);
        map->toggleFullSize();
        EXPECT_EQ(base->activeMode(), step.mode);
        EXPECT_EQ(imageName(button), QLatin1String(step.image));
        QParallelAnimationGroup *move = base->modeAnimation(); // the layout pass moves the panels
        ASSERT_TRUE(move);
        move->setCurrentTime(move->duration());
        EXPECT_EQ(base->graphContainerView()->view()->isVisible(), step.graphsShown);
        if (step.mode == 1)
            EXPECT_GT(map->mapView()->width(), normal.width() * 3 / 2);
        else
            EXPECT_EQ(map->mapView()->geometry(), normal);
    }
}

TEST_F(MapFullSizeTest, WithoutAContentViewNothingChanges)
{
    QWidget host;
    host.resize(600, 400);
    NBMapViewController map(&host, rig.environment());
    map.mapView()->setGeometry(0, 0, 600, 400);
    map.toggleFullSize();
    EXPECT_EQ(imageName(map.fullSizeButton()), QStringLiteral("enter_fullscreen_20"));
    EXPECT_EQ(map.mapView()->geometry(), QRect(0, 0, 600, 400));
}

// The launched program's main window --------------------------------------------------------


TEST_F(AppControllerTest, TheMapsControlsInTheMainWindow)
{
    launch();
    QMainWindow *window = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    env.scheduler->advance(0.5); // the panels
    auto *base = window->findChild<NBBaseView *>();
    ASSERT_TRUE(base);
    auto *map = dynamic_cast<NBMapViewController *>(base->mapViewController());
    ASSERT_TRUE(map && map->mapView());
    NBMapView *view = map->mapView();
    ASSERT_TRUE(waitUntil([&] { return view->paintCount() > 0 && view->mapGenerator(); }, 10000));

    // Only the tab shows at the map's top right; a click on it slides the panel in.
    NBMapControlView *panel = map->controlView();
    EXPECT_EQ(view->width() - panel->x(), 28);
    EXPECT_EQ(panel->y(), 8);
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(15, 15));
    panel->slideAnimation()->setCurrentTime(NBMapControlView::kSlideMs);
    EXPECT_EQ(panel->x() + panel->width(), view->width());
    QTest::qWait(50);
    grabAndSave(window, "map_panel_open.png");

    // The gear opens the settings bubble beside it.
    QTest::mouseClick(map->prefsGearButton(), Qt::LeftButton);
    ASSERT_TRUE(map->prefsPopover()->isOpen());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(map->prefsPopover()->window()));
    QTest::qWait(50);
    const QImage withBubble = window->screen()->grabWindow(0).toImage();
    const QString bubblePath = testOutputPath("map_settings_bubble.png");
    EXPECT_TRUE(withBubble.save(bubblePath));
    std::cout << "screenshot: " << bubblePath.toStdString() << std::endl;

    // A choice from the density pop-up is a click inside the bubble: it stays open and keeps it.
    auto *density = map->prefsPopover()->window()->findChild<QComboBox *>(QString(OVMapSettingKey::particleDensity));
    ASSERT_TRUE(density);
    QTest::mouseClick(density, Qt::LeftButton);
    QAbstractItemView *list = density->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    QTest::keyClick(list, Qt::Key_End);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(waitUntil([&] { return !list->window()->isVisible(); }));
    EXPECT_TRUE(map->prefsPopover()->isOpen());
    EXPECT_TRUE(waitUntil([] { return OVUserDefaults::standard().integerForKey(QString(OVMapSettingKey::particleDensity)) == 3; }));
    EXPECT_EQ(density->currentIndex(), 3);

    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(50, view->height() - 50));
    EXPECT_FALSE(map->prefsPopover()->isOpen());

    // The full-size button gives the map the content area, and back.
    const QRect normal = view->geometry();
    map->fullSizeButton()->click();
    ASSERT_TRUE(base->modeAnimation());
    base->modeAnimation()->setCurrentTime(NBBaseView::kModeAnimationMs);
    EXPECT_EQ(base->activeMode(), 1);
    EXPECT_FALSE(base->graphContainerView()->view()->isVisible());
    EXPECT_GT(view->width(), normal.width() * 3 / 2);
    EXPECT_EQ(panel->x() + panel->width(), view->width()); // the panel keeps to the right edge
    map->fullSizeButton()->click();
    ASSERT_TRUE(base->modeAnimation());
    base->modeAnimation()->setCurrentTime(NBBaseView::kModeAnimationMs);
    EXPECT_EQ(base->activeMode(), 0);
    EXPECT_EQ(view->geometry(), normal);

    // A held download to the model-data server spins the indicator; a click opens the activity
    // panel.
    auto gate = std::make_shared<FixtureGate>();
    FixtureResponse held = FixtureResponse::text("GRIB", "application/octet-stream");
    held.gate = gate;
    hosts.serve("/cgi-bin/filter_gfs_0p25_1hr.pl", held);
    const QString modelData = OVUserDefaults::standard().stringForKey(NBSettingKey::modelDataServerURL);
    OVURLManager::sharedURLManager().loadURLString(modelData + "/cgi-bin/filter_gfs_0p25_1hr.pl");
    ASSERT_TRUE(waitUntil([&] { return map->isParticleDataLoading(); }));
    EXPECT_TRUE(map->particleLoadingIndicator()->isVisible());
    QTest::qWait(50);
    grabAndSave(window, "map_indicator_loading.png");
    QTest::mouseClick(map->particleLoadingIndicatorArea(), Qt::LeftButton, {}, QPoint(5, 5));
    NBSecondaryWindows *windows = controller->secondaryWindows();
    ASSERT_TRUE(windows && windows->activityPanel());
    EXPECT_TRUE(windows->activityPanel()->isVisible());
    gate->open();
    EXPECT_TRUE(waitUntil([&] { return !map->isParticleDataLoading(); }));
}

} // namespace
