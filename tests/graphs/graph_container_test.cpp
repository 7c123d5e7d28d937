// The graph stack: the shared time window and its clamps, dragging and pinching it, restacking
// the shown panels, the hover read-out, and the full-size toggle through a main view host.
// Clock T = 2013-11-10T20:00Z; the station file KDEN.db is made by the sqlite3 shell, its
// earliest row three days before T.
#include "graph_panel_fakes.h"

#include "core/NBPrefController.h"
#include "core/views/OVAttributedString.h"
#include "core/views/OVFilledView.h"
#include "core/views/OVMainViewModeHost.h"
#include "graphs/NBMultiGraphContainerView.h"
#include "graphs/NBMultiGraphPart.h"
#include "graphs/OVCylindricalGraphView.h"
#include "graphs/OVGraphHoverView.h"
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"
#include "support/TestHelpers.h"
#include "weather/OVObservationsDB.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QWheelEvent>
#include <QToolButton>

#include <gtest/gtest.h>

#include <tuple>

namespace {

const QDateTime kT = utcAt(10, 20);
constexpr int kWidth = 700;
/// The container's height for a given visible stack height (inset 3 twice, title 30).
int heightForViewport(int viewportHeight)
{
    return viewportHeight + 36;
}

class GraphContainerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        NBPrefController::resetStore();
        NBPrefController::initSettings();
        for (const char *key : {"temperatureUnits", "windSpeedUnits", "pressureUnits", "heightUnits"})
            NBPrefController::setSetting(0, QLatin1String(key));
        NBPrefController::setSetting(1, QStringLiteral("graphWidthDays"));
        NBPrefController::setSetting(0.0f, QStringLiteral("graphOffset"));
        NBPrefController::setSetting(155, QStringLiteral("graphHeight"));
        storeShippedPanelChoice();

        const QString stations = folder.filePath(QStringLiteral("Observations"));
        QDir().mkpath(stations);
        QProcess shell;
        shell.setStandardInputFile(testDataPath(QStringLiteral("graphs/kden_2013-11.sql")));
        shell.start(QStringLiteral("sqlite3"), {stations + QStringLiteral("/KDEN.db")});
        ASSERT_TRUE(shell.waitForFinished(20000));
        ASSERT_EQ(shell.exitCode(), 0);
        QProcess older;
        older.start(QStringLiteral("sqlite3"),
                    {stations + QStringLiteral("/KDEN.db"),
                     QStringLiteral("INSERT INTO icao_history VALUES ('20131107200000', 180, 5, -1000, 10, -3, 0);")});
        ASSERT_TRUE(older.waitForFinished(20000));
        ASSERT_EQ(older.exitCode(), 0);
        database = std::make_unique<OVObservationsDB>(stations, clock);

        sources = std::make_shared<FakeGraphSources>();
        sources->fakeClock.set(kT);
        fillTwoDays(*sources);
        location = fakeLocation(sources);
    }

    std::unique_ptr<NBMultiGraphContainerView> makeContainer(int viewportHeight = 1400)
    {
        auto container = std::make_unique<NBMultiGraphContainerView>();
        container->setSlideMilliseconds(0);
        container->setFallbackClock(&clock);
        container->setLocationSource([this] { return location; });
        container->resize(kWidth, heightForViewport(viewportHeight));
        container->show();
        container->relayoutGraphs(nullptr, false);
        return container;
    }

    static NBMultiGraphPart *partOfType(const NBMultiGraphContainerView &container, int type)
    {
        for (NBMultiGraphPart *part : container.parts())
            if (part->type() == type)
                return part;
        return nullptr;
    }

    /// The centre of a panel's graph, in the container's widget coordinates.
    static QPoint graphCentre(const NBMultiGraphContainerView &container, int type)
    {
        OVGraphView *graph = partOfType(container, type)->graph();
        return graph->mapTo(&container, graph->rect().center());
    }

    static void mouse(QWidget &widget, QEvent::Type type, const QPoint &pos,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove
                                              && !QApplication::mouseButtons()
                                          ? Qt::NoButton
                                          : Qt::LeftButton;
        QMouseEvent event(type, QPointF(pos), widget.mapToGlobal(QPointF(pos)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, modifiers);
        QApplication::sendEvent(&widget, &event);
    }

    static void drag(NBMultiGraphContainerView &container, const QPoint &from, const QPoint &to, bool release = true)
    {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(from), container.mapToGlobal(QPointF(from)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&container, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), container.mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&container, &move);
        if (!release)
            return;
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(to), container.mapToGlobal(QPointF(to)), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&container, &up);
    }

    static void pinch(NBMultiGraphContainerView &container, const std::vector<double> &steps)
    {
        const QPointF at(100, 100);
        auto send = [&](Qt::NativeGestureType type, double value) {
            QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, at, at,
                                      container.mapToGlobal(at), value, QPointF());
            QApplication::sendEvent(&container, &event);
        };
        send(Qt::BeginNativeGesture, 0);
        for (double step : steps)
            send(Qt::ZoomNativeGesture, step);
        send(Qt::EndNativeGesture, 0);
    }

    QTemporaryDir folder;
    FakeClock clock{kT};
    std::unique_ptr<OVObservationsDB> database;
    std::shared_ptr<FakeGraphSources> sources;
    std::shared_ptr<OVWeatherLocation> location;
};

/// A main view stand-in: the container's parent, with a mode and a count of layout passes.
class ModeHost : public QWidget, public OVMainViewModeHost
{
public:
    int activeMode() const override { return mode; }
    void setActiveMode(int m) override { mode = m; }
    void positionSubviews() override { ++layouts; }
    void redisplayGraphViews() override {}
    int mode = AllPanels;
    int layouts = 0;
};

} // namespace

TEST_F(GraphContainerTest, WindowIsAnchoredAtAThirdAndClampedToHistoryAndAWeekAhead)
{
    struct Case
    {
        const char *name;
        int days;
        double offsetDays;
        enum { Station, NoLocation, EmptyStation } where;
        double startFromT; // seconds, NAN = not checked
        double endFromT;
    };
    const Case cases[] = {
        {"one day now", 1, 0, Case::Station, -28512, 57888},
        {"thirty days keep the end a week ahead", 30, 0, Case::Station, 604800 - 30 * 86400.0 + 3 * 86400.0, NAN},
        {"far back stops at the earliest row", 1, -10, Case::Station, -3 * 86400.0, -3 * 86400.0 + 86400},
        {"far ahead stops a week ahead", 1, 10, Case::Station, 604800 - 86400.0, 604800},
        {"no location: a week back", 1, -20, Case::NoLocation, -604800, -604800 + 86400},
        {"a station without rows has no lower clamp", 1, -20, Case::EmptyStation, -20 * 86400.0 - 28512, NAN},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        location = fakeLocation(sources);
        NBPrefController::setSetting(c.days, QStringLiteral("graphWidthDays"));
        if (c.where == Case::NoLocation)
            location.reset();
        else if (c.where == Case::EmptyStation)
            location->setIcao(QStringLiteral("KXYZ"));
        auto container = makeContainer();
        container->setCenterTimeOffset(c.offsetDays * 86400.0);
        const QDateTime start = container->startDate();
        const QDateTime end = container->endDate();
        if (!std::isnan(c.startFromT) && c.days < 30)
            EXPECT_EQ(kT.secsTo(start), qint64(c.startFromT));
        if (!std::isnan(c.endFromT))
            EXPECT_EQ(kT.secsTo(end), qint64(c.endFromT));
        if (c.days == 30)
            EXPECT_EQ(end, kT.addSecs(604800)) << "the upper clamp wins over a span too wide";
        EXPECT_EQ(start.secsTo(end), qint64(c.days) * 86400);
    }
}

TEST_F(GraphContainerTest, TitleShowsTheWindowsDaysInTheLocationsZone)
{
    auto container = makeContainer();
    EXPECT_EQ(container->titleText(), QStringLiteral("11/10/13 ➜ 11/11/13"));
}

TEST_F(GraphContainerTest, DraggingPansTheWindowSnapsToNowAndStoresTheOffsetOnRelease)
{
    auto container = makeContainer();
    const QPoint at = graphCentre(*container, NBGraphTypeTemperature);
    const double g = partOfType(*container, NBGraphTypeTemperature)->graph()->width();
    ASSERT_GT(g, 0);

    drag(*container, at, at - QPoint(21, 0));
    EXPECT_NEAR(container->centerTimeOffset(), 21.0 / g * 86400.0, 1e-6);
    EXPECT_NEAR(NBPrefController::floatForKey(QStringLiteral("graphOffset")), 21.0 / g * 86400.0, 0.01);
    container->setCenterTimeOffset(0);
    drag(*container, at, at - QPoint(19, 0));
    EXPECT_EQ(container->centerTimeOffset(), 0.0) << "within 20 px of now snaps";
    EXPECT_EQ(NBPrefController::floatForKey(QStringLiteral("graphOffset")), 0.0f);

    // Eight graph widths to the left stop the end a week ahead; the clamp is what is stored.
    drag(*container, at, at - QPoint(int(8 * g), 0), false);
    EXPECT_EQ(container->endDate(), kT.addSecs(604800));
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(at), container->mapToGlobal(QPointF(at)), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(container.get(), &up);
    EXPECT_EQ(NBPrefController::floatForKey(QStringLiteral("graphOffset")), 546912.0f);
    EXPECT_EQ(NBPrefController::settingForKey(QStringLiteral("graphOffset")).toDouble(), 546912.0);
}

TEST_F(GraphContainerTest, DraggingOnTheCylinderTurnsIt)
{
    auto container = makeContainer();
    const QPoint at = graphCentre(*container, NBGraphTypeCylindricalWindDirection);
    const double h = container->parts().front()->graph()->height();
    const struct
    {
        double fraction;
        double expected;
    } cases[] = {{0.20, 324.0}, {0.05, 0.0}};
    for (const auto &c : cases) {
        container->setVerticalOffset(0);
        drag(*container, at, at + QPoint(0, int(std::lround(c.fraction * h))));
        EXPECT_NEAR(container->verticalOffset(), c.expected, 0.6) << c.fraction;
    }
}

TEST_F(GraphContainerTest, PinchStepsTheWidthKeepingTheEnd)
{
    NBPrefController::setSetting(7, QStringLiteral("graphWidthDays"));
    auto container = makeContainer();
    const QDateTime end = container->endDate();
    pinch(*container, {0.3, 0.3});
    EXPECT_EQ(NBPrefController::integerForKey(QStringLiteral("graphWidthDays")), 6);
    EXPECT_EQ(container->graphInterval(), 6 * 86400.0);
    EXPECT_EQ(container->endDate(), end);

    NBPrefController::setSetting(7, QStringLiteral("graphWidthDays"));
    container->relayoutGraphs(nullptr, false);
    pinch(*container, {-0.6});
    EXPECT_EQ(NBPrefController::integerForKey(QStringLiteral("graphWidthDays")), 14);
    pinch(*container, {0.4});
    EXPECT_EQ(NBPrefController::integerForKey(QStringLiteral("graphWidthDays")), 14) << "below the threshold";

    // The ends of the scale stay put.
    const struct
    {
        int days;
        double step;
    } ends[] = {{366, -0.6}, {1, 0.6}};
    for (const auto &c : ends) {
        NBPrefController::setSetting(c.days, QStringLiteral("graphWidthDays"));
        container->relayoutGraphs(nullptr, false);
        pinch(*container, {c.step});
        EXPECT_EQ(NBPrefController::integerForKey(QStringLiteral("graphWidthDays")), c.days);
    }
}

TEST_F(GraphContainerTest, RestackingSharesOrScrollsAndSurvivesNothingShown)
{
    // Default: eight shown, 155 px each.
    auto container = makeContainer(500);
    QScrollArea *scroll = container->scrollView();
    ASSERT_EQ(scroll->viewport()->height(), 500);
    EXPECT_EQ(container->contentView()->height(), 1240);

    // A resize keeps the distance of the visible top from the content's top.
    scroll->verticalScrollBar()->setValue(300);
    container->resize(kWidth, heightForViewport(450));
    EXPECT_EQ(scroll->verticalScrollBar()->value(), 300);

    container->resize(kWidth, heightForViewport(1400));
    EXPECT_EQ(scroll->verticalScrollBar()->value(), 0) << "panels that fit start at the top";
    int shown = 0;
    int top = 0;
    for (NBMultiGraphPart *part : container->parts()) {
        if (!NBMultiGraphContainerView::isShown(*part))
            continue;
        EXPECT_EQ(part->height(), 174);
        EXPECT_EQ(part->y(), top) << part->type();
        top += 174;
        ++shown;
    }
    EXPECT_EQ(shown, 8);

    for (int type : NBMultiGraphContainerView::kStackOrder)
        NBPrefController::setSetting(0, NBMultiGraphContainerView::visibilityKey(type));
    container->relayoutGraphs(nullptr, true);
    EXPECT_EQ(container->contentView()->height(), scroll->viewport()->height());
    for (NBMultiGraphPart *part : container->parts()) {
        EXPECT_FALSE(NBMultiGraphContainerView::isShown(*part));
        EXPECT_LE(part->geometry().right(), 0) << "slid out to the left";
    }
}

TEST_F(GraphContainerTest, PanelsLieOnThePanelsOwnColour)
{
    // Nothing of the scrolling stack paints a background of its own: where a graph draws
    // nothing (a wind-speed graph without data, the gutter left of each graph), the rounded
    // panel's colour shows.
    location.reset();
    auto container = makeContainer(500);
    const QImage shot = container->grab().toImage();
    const QColor panel = NBPrefController::settingForKey(QStringLiteral("viewBackgroundColor")).value<QColor>();
    ASSERT_TRUE(panel.isValid());
    OVGraphView *wind = partOfType(*container, NBGraphTypeWindSpeed)->graph();
    const struct
    {
        const char *name;
        QPoint at;
    } probes[] = {
        {"left gutter", QPoint(container->scrollView()->x() + 6, wind->mapTo(container.get(), wind->rect().center()).y())},
        {"empty wind-speed graph", wind->mapTo(container.get(), QPoint(wind->width() / 5, wind->height() / 3))},
    };
    for (const auto &probe : probes) {
        const QColor got = shot.pixelColor(probe.at * shot.devicePixelRatio());
        EXPECT_LE(std::abs(got.red() - panel.red()) + std::abs(got.green() - panel.green())
                      + std::abs(got.blue() - panel.blue()),
                  6)
            << probe.name << ": " << got.name().toStdString() << " for " << panel.name().toStdString();
    }
}

TEST_F(GraphContainerTest, HoverFollowsThePanelUnderThePointer)
{
    auto container = makeContainer(1400);
    container->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(container.get()));
    OVGraphHoverView *hover = container->hover();

    const QPoint overPressure = graphCentre(*container, NBGraphTypePressure);
    mouse(*container, QEvent::MouseMove, overPressure);
    NBMultiGraphPart *pressure = partOfType(*container, NBGraphTypePressure);
    ASSERT_FALSE(hover->isReadoutHidden());
    EXPECT_EQ(hover->geometry(), hover->frameForGraphView(*pressure->graph()));
    OVGraphHoverView expected;
    pressure->updateHover(expected, hover->x());
    EXPECT_EQ(hover->label()->string(), expected.label()->string());
    EXPECT_EQ(hover->timeString()->string(), expected.timeString()->string());
    EXPECT_EQ(hover->lineBulgeAmount(), 0.0);

    const QPoint overCylinder = graphCentre(*container, NBGraphTypeCylindricalWindDirection);
    mouse(*container, QEvent::MouseMove, overCylinder);
    auto *cylinder = qobject_cast<OVCylindricalGraphView *>(
        partOfType(*container, NBGraphTypeCylindricalWindDirection)->graph());
    ASSERT_NE(cylinder, nullptr);
    EXPECT_EQ(hover->lineBulgeAmount(), cylinder->cylinderWidth() / 2.0);
    EXPECT_FALSE(hover->drawYPoint());

    // Alt lists every graph but the two wind directions, in stack order.
    mouse(*container, QEvent::MouseMove, overPressure, Qt::AltModifier);
    const QStringList names = hover->label()->string().split(QLatin1Char('\n'));
    ASSERT_GE(names.size(), 3);
    EXPECT_EQ(names[0], QStringLiteral("Temperature: "));
    EXPECT_EQ(names[1], QStringLiteral("Wind: "));
    EXPECT_EQ(names[2], QStringLiteral("Pressure: "));
    EXPECT_EQ(names.size(), 9);
}

TEST_F(GraphContainerTest, TheWheelMovesTheReadOutToThePanelNowUnderThePointer)
{
    auto container = makeContainer(500);
    container->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(container.get()));
    OVGraphHoverView *hover = container->hover();
    const QPoint at = graphCentre(*container, NBGraphTypeTemperature);
    const auto partUnder = [&] {
        return container->partForMouseLocation(QPointF(at.x(), container->height() - at.y()));
    };
    mouse(*container, QEvent::MouseMove, at);
    ASSERT_EQ(partUnder(), partOfType(*container, NBGraphTypeTemperature));
    ASSERT_FALSE(hover->isReadoutHidden());

    // The wheel turned towards the user over the graph, delivered as the window system does:
    // spontaneous, so that the unused turn goes up to the scrolling view.
    QWidget *target = container->childAt(at);
    ASSERT_NE(target, nullptr);
    const QPointF local = target->mapFrom(container.get(), QPointF(at));
    QWheelEvent wheel(local, target->mapToGlobal(local), QPoint(), QPoint(0, -360), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(target, &wheel);
    ASSERT_GT(container->scrollView()->verticalScrollBar()->value(), 0);
    NBMultiGraphPart *now = partUnder();
    ASSERT_NE(now, nullptr);
    ASSERT_NE(now, partOfType(*container, NBGraphTypeTemperature));
    EXPECT_FALSE(hover->isReadoutHidden());
    EXPECT_EQ(hover->geometry(), hover->frameForGraphView(*now->graph()));
    OVGraphHoverView expected;
    now->updateHover(expected, hover->x());
    EXPECT_EQ(hover->label()->string(), expected.label()->string());
}

TEST_F(GraphContainerTest, OptionReadOutReloadsAHiddenPanelForTheNewLocation)
{
    NBPrefController::setSetting(0, QStringLiteral("showPressureGraph"));
    auto container = makeContainer(1400);
    container->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(container.get()));
    // A few hours before now, where the station reported pressure.
    OVGraphView *graph = partOfType(*container, NBGraphTypeTemperature)->graph();
    const QPoint over = graph->mapTo(container.get(), QPoint(graph->width() / 7, graph->height() / 2));
    mouse(*container, QEvent::MouseMove, over, Qt::AltModifier);
    const QString before = container->hover()->label2()->string();
    ASSERT_FALSE(before.split(QLatin1Char('\n')).value(2).contains(QStringLiteral("No Data")));

    // Another place whose pressure is far from the first one's.
    auto other = std::make_shared<FakeGraphSources>();
    other->fakeClock.set(kT);
    fillTwoDays(*other);
    for (OVWeatherConditions &c : other->history)
        c.setPressureMB(c.pressureMB() + 40.0);
    location = fakeLocation(other);
    container->refreshDisplay();
    mouse(*container, QEvent::MouseMove, over, Qt::AltModifier);
    const QString after = container->hover()->label2()->string();
    const int pressureRow = 2; // Temperature, Wind, Pressure
    ASSERT_GT(after.split(QLatin1Char('\n')).size(), pressureRow);
    EXPECT_NE(before.split(QLatin1Char('\n'))[pressureRow], after.split(QLatin1Char('\n'))[pressureRow]);
}

TEST_F(GraphContainerTest, FullSizeToggleSwitchesTheHostsModeAndDoesNothingWithoutOne)
{
    ModeHost host;
    auto *container = new NBMultiGraphContainerView(&host);
    container->setLocationSource([this] { return location; });
    container->toggleFullSize();
    EXPECT_EQ(host.mode, OVMainViewModeHost::GraphsFullSize);
    EXPECT_EQ(container->fullSizeButton()->property("imageName").toString(), QStringLiteral("exit_fullscreen_20"));
    container->toggleFullSize();
    EXPECT_EQ(host.mode, OVMainViewModeHost::AllPanels);
    EXPECT_EQ(host.layouts, 2);
    EXPECT_EQ(container->fullSizeButton()->accessibleName(), QStringLiteral("Toggle Graph Size"));

    auto alone = makeContainer();
    alone->toggleFullSize(); // no host: nothing happens, nothing crashes
    EXPECT_FALSE(alone->fullSizeButton()->property("imageName").isValid());
}

namespace {

// Where a label's text stands inside its widget, by its alignment.
QRect labelTextRect(const QLabel &label)
{
    const int width = QFontMetrics(label.font()).horizontalAdvance(label.text());
    const QRect box = label.geometry();
    if (label.alignment() & Qt::AlignRight)
        return QRect(box.right() + 1 - width, box.y(), width, box.height());
    return QRect(box.x(), box.y(), width, box.height());
}

// No two rectangles of `rects` touch; every one lies inside `bounds`.
void expectApartAndInside(const std::vector<QRectF> &rects, const QRectF &bounds, const std::string &what)
{
    for (size_t i = 0; i < rects.size(); ++i) {
        EXPECT_TRUE(bounds.contains(rects[i])) << what << " label " << i << " leaves its view: " << rects[i].x() << "," << rects[i].y() << " " << rects[i].width() << "x" << rects[i].height() << " in " << bounds.width() << "x" << bounds.height();
        for (size_t j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(rects[i].intersects(rects[j])) << what << " labels " << i << " and " << j << " overlap";
    }
}

} // namespace

// At 800 px wide (and at a narrow 280) and at the least and greatest graph heights no label of
// any panel touches another or leaves its view: the value and date labels, the summary beside the
// quantity's name, and the status icon beside its message, with and without a location. Every
// panel's time axis starts at the same x.
TEST_F(GraphContainerTest, LabelsNeverCollideAndTheTimeAxesLineUp)
{
    for (const auto &[width, height, withLocation] :
         {std::tuple{800, 80, true}, {800, 80, false}, {800, 400, true}, {800, 400, false}, {280, 80, true}}) {
        {
            SCOPED_TRACE(testing::Message() << width << " x " << height << (withLocation ? " with" : " without")
                                            << " a location");
            NBPrefController::setSetting(height, QStringLiteral("graphHeight"));
            std::shared_ptr<OVWeatherLocation> kept = location;
            if (!withLocation)
                location.reset();
            auto container = makeContainer(2 * height); // the panels scroll at their own height
            container->resize(width, container->height());
            container->relayoutGraphs(nullptr, false);
            container->refreshDisplay();
            QApplication::processEvents();

            std::optional<int> axisX;
            for (NBMultiGraphPart *part : container->parts()) {
                if (!part->isVisible() || part->alpha() < 0.5)
                    continue;
                const std::string what = part->rightLabel()->text().toStdString();
                OVGraphLegendView *legend = part->legend();
                ASSERT_EQ(part->height(), height) << what;
                expectApartAndInside(legend->drawnLabelRects(), QRectF(legend->rect()), what);

                const QRect summary = labelTextRect(*part->leftLabel());
                const QRect title = labelTextRect(*part->rightLabel());
                EXPECT_FALSE(summary.intersects(title)) << what << ": \"" << part->leftLabel()->text().toStdString()
                                                        << "\" runs into its title";
                EXPECT_TRUE(part->rect().contains(summary) && part->rect().contains(title)) << what;

                if (OVFilledView *overlay = part->statusOverlay()) {
                    const QRectF text = overlay->centeredTextRect();
                    EXPECT_TRUE(QRectF(overlay->rect()).contains(text)) << what;
                    if (const std::optional<QRectF> icon = overlay->centeredImageRect())
                        EXPECT_FALSE(icon->intersects(text)) << what << ": the icon covers the message";
                }
                if (!axisX)
                    axisX = part->graph()->x();
                EXPECT_EQ(part->graph()->x(), *axisX) << what << "'s time axis stands apart";
            }
            if (width == 800 && height == 80 && withLocation) {
                // The whole stack, not only the part the viewport shows, on the panels' colour.
                QWidget *stack = container->findChild<QScrollArea *>()->widget();
                QImage shot(stack->size(), QImage::Format_ARGB32_Premultiplied);
                shot.fill(NBPrefController::settingForKey(QStringLiteral("viewBackgroundColor")).value<QColor>());
                stack->render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
                shot.save(testOutputPath(QStringLiteral("graph_stack_smallest_height.png")));
            }
            location = kept;
        }
    }
}

// A drag far past the loaded data (into the future beyond the forecast, then back into the past
// before the station's first report) reads the station once per data window it crosses, not at
// every mouse event.
TEST_F(GraphContainerTest, ADragPastTheLoadedDataReadsTheStationOncePerDataWindow)
{
    auto container = makeContainer();
    const double g = partOfType(*container, NBGraphTypeTemperature)->graph()->width();
    ASSERT_GT(g, 0);
    // What one load of every shown panel reads.
    const int before = sources->observationReads;
    container->refreshDisplay();
    const int readsPerLoad = sources->observationReads - before;
    ASSERT_GT(readsPerLoad, 0);

    for (int direction : {-1, 1}) {
        SCOPED_TRACE(direction < 0 ? "into the future" : "into the past");
        const QPoint at = graphCentre(*container, NBGraphTypeTemperature);
        const int earliestBefore = container->earliestObservationQueries();
        const int readsBefore = sources->observationReads;
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), container->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(container.get(), &press);
        constexpr int kEvents = 100;
        const int step = int(std::ceil(2.5 * g / kEvents)); // two and a half windows in all
        for (int i = 1; i <= kEvents; ++i) {
            const QPointF to(at.x() + direction * i * step, at.y());
            QMouseEvent move(QEvent::MouseMove, to, container->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(container.get(), &move);
        }
        const QPointF end(at.x() + direction * kEvents * step, at.y());
        QMouseEvent up(QEvent::MouseButtonRelease, end, container->mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                       Qt::NoModifier);
        QApplication::sendEvent(container.get(), &up);

        // Two and a half windows dragged cross at most three data windows.
        const int loads = (sources->observationReads - readsBefore + readsPerLoad - 1) / readsPerLoad;
        EXPECT_LE(loads, 3);
        EXPECT_GE(loads, 1) << "the drag left the loaded data and must read once";
        EXPECT_EQ(container->earliestObservationQueries() - earliestBefore, 1) << "once when the drag begins";
    }
}
