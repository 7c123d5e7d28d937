// The graph stack's settings popover: where it opens, that it shows the stored settings, that
// each control stores its change at once (read back from the settings file) and applies it to
// the stack, and when it closes: the gear toggles it, its own background keeps it, a click or a
// key press elsewhere closes it and still reaches its target.
#include "graph_panel_fakes.h"

#include "core/NBControllerSettings.h"
#include "core/NBPrefController.h"
#include "core/views/OVBubbleView.h"
#include "graphs/NBGraphViewPrefs.h"
#include "graphs/NBMultiGraphContainerView.h"
#include "platform/OVUserDefaults.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

const QDateTime kT = utcAt(10, 20);

class GraphSettingsPopoverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        NBPrefController::resetStore();
        NBPrefController::initSettings();
        NBPrefController::setSetting(7, QStringLiteral("graphWidthDays"));
        NBPrefController::setSetting(0.0f, QStringLiteral("graphOffset"));
        NBPrefController::setSetting(155, QStringLiteral("graphHeight"));
        storeShippedPanelChoice();
        sources = std::make_shared<FakeGraphSources>();
        sources->fakeClock.set(kT);
        fillTwoDays(*sources);
        location = fakeLocation(sources);
    }

    /// The main window's content stand-in, `hostWidth` wide, with the stack at `stackX` and a
    /// text field beside it to click and type into.
    void makeHosted(int hostWidth = 1100, int stackX = 300)
    {
        host = std::make_unique<QWidget>();
        host->resize(hostWidth, 700);
        elsewhere = new QPushButton(QStringLiteral("Elsewhere"), host.get());
        elsewhere->setGeometry(10, 650, 120, 30);
        field = new QLineEdit(host.get());
        field->setGeometry(140, 650, 120, 30);
        container = new NBMultiGraphContainerView(host.get());
        container->setSlideMilliseconds(0);
        container->setLocationSource([this] { return location; });
        container->setGeometry(stackX, 60, 600, 536); // a 500-px stack
        host->show();
        container->relayoutGraphs(nullptr, false);
    }

    NBMultiGraphPart *partOfType(int type) const
    {
        for (NBMultiGraphPart *part : container->parts())
            if (part->type() == type)
                return part;
        return nullptr;
    }

    void clickGear() { QTest::mouseClick(container->gearButton(), Qt::LeftButton); }

    /// The value the settings file holds for a key, read by a second reader of the same file.
    static QVariant storedInFile(const QString &key)
    {
        OVUserDefaults::standard().synchronize();
        OVUserDefaults reader(OVUserDefaults::standardPath());
        return reader.storedObjectForKey(key);
    }

    std::shared_ptr<FakeGraphSources> sources;
    std::shared_ptr<OVWeatherLocation> location;
    std::unique_ptr<QWidget> host;
    NBMultiGraphContainerView *container = nullptr;
    QPushButton *elsewhere = nullptr;
    QLineEdit *field = nullptr;
};

} // namespace

TEST_F(GraphSettingsPopoverTest, OpensBesideTheGearWithTheStoredSettings)
{
    const struct
    {
        const char *name;
        int hostWidth, stackX;
    } cases[] = {{"room on the left", 1400, 700}, {"no room on the left", 1100, 100}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        makeHosted(c.hostWidth, c.stackX);
        clickGear();
        ASSERT_TRUE(container->prefsOpen());
        OVBubbleView *bubble = container->graphViewPrefsBubble();
        NBGraphViewPrefs *prefs = container->graphViewPrefs();
        ASSERT_TRUE(bubble && prefs);
        EXPECT_EQ(bubble->parentWidget(), host.get()) << "over the window's content, not inside the stack";
        EXPECT_TRUE(bubble->isVisible());
        EXPECT_EQ(prefs->timeSlider()->value(), NBControllerSettings::sliderValueForDays(7));
        EXPECT_EQ(prefs->graphHeightSlider()->value(), 155);
        for (int type : NBMultiGraphContainerView::kStackOrder)
            EXPECT_EQ(prefs->checkBoxForType(type)->isChecked(), type != 2 && type != 8 && type != 9) << type;

        // Left of the gear with the arrow on the right, its top 14 above the gear's; right of
        // the gear with the arrow on the left when the window has no room on the left.
        const QRect gear(container->gearButton()->mapTo(host.get(), QPoint(0, 0)), container->gearButton()->size());
        const QSize size = bubble->requestedSize().toSize();
        const bool roomOnLeft = gear.left() - size.width() >= 0;
        EXPECT_EQ(roomOnLeft, c.stackX == 700);
        EXPECT_EQ(bubble->size(), size);
        EXPECT_EQ(bubble->y(), gear.top() - 14);
        EXPECT_EQ(bubble->arrowDisplayMode(), roomOnLeft ? 1 : 0);
        EXPECT_EQ(bubble->x(), roomOnLeft ? gear.left() - size.width() : gear.left() + gear.width());
    }
}

TEST_F(GraphSettingsPopoverTest, SlidersStoreAndApplyTheirChangesAtOnce)
{
    makeHosted();
    clickGear();
    NBGraphViewPrefs *prefs = container->graphViewPrefs();
    ASSERT_TRUE(prefs);
    QSignalSpy writes(&OVUserDefaults::standard(), &OVUserDefaults::valueChanged);

    // The right end is one day; the window's end stays where it was.
    const QDateTime end = container->endDate();
    prefs->timeSlider()->setValue(14);
    EXPECT_EQ(storedInFile(QStringLiteral("graphWidthDays")).toInt(), 1);
    EXPECT_EQ(container->graphInterval(), 86400.0);
    EXPECT_EQ(container->endDate(), end);
    EXPECT_EQ(container->startDate(), end.addSecs(-86400));

    // The width already in force writes nothing.
    writes.clear();
    prefs->setGraphDays(14);
    EXPECT_EQ(writes.count(), 0);

    prefs->graphHeightSlider()->setValue(200);
    EXPECT_EQ(storedInFile(QStringLiteral("graphHeight")).toInt(), 200);
    EXPECT_EQ(container->graphHeight(), 200);
    EXPECT_EQ(container->contentView()->height(), 8 * 200);

    // Without a stack the height slider writes nothing.
    NBGraphViewPrefs alone;
    writes.clear();
    alone.graphHeightSlider()->setValue(300);
    EXPECT_EQ(writes.count(), 0);
    EXPECT_EQ(NBPrefController::integerForKey(QStringLiteral("graphHeight")), 200);
}

TEST_F(GraphSettingsPopoverTest, CheckBoxesHideAndShowPanelsAndNowStoresTheOffsetAtOnce)
{
    makeHosted();
    clickGear();
    NBGraphViewPrefs *prefs = container->graphViewPrefs();
    ASSERT_TRUE(prefs);

    prefs->checkBoxForType(NBGraphTypePressure)->click();
    EXPECT_EQ(storedInFile(QStringLiteral("showPressureGraph")).toInt(), 0);
    NBMultiGraphPart *pressure = partOfType(NBGraphTypePressure);
    EXPECT_FALSE(NBMultiGraphContainerView::isShown(*pressure));
    EXPECT_LE(pressure->geometry().right(), 0) << "slid out to the left";
    int top = 0;
    int shown = 0;
    for (NBMultiGraphPart *part : container->parts()) {
        if (!NBMultiGraphContainerView::isShown(*part))
            continue;
        EXPECT_EQ(part->geometry(), QRect(0, top, container->contentView()->width(), 155)) << part->type();
        top += 155;
        ++shown;
    }
    EXPECT_EQ(shown, 7);
    EXPECT_EQ(container->contentView()->height(), 7 * 155);

    prefs->checkBoxForType(NBGraphTypeSnowfall)->click();
    EXPECT_EQ(storedInFile(QStringLiteral("showSnowfallGraph")).toInt(), 1);
    EXPECT_TRUE(NBMultiGraphContainerView::isShown(*partOfType(NBGraphTypeSnowfall)));

    // Back to the present: stored before any mouse-up.
    container->setCenterTimeOffset(2 * 86400.0);
    NBPrefController::setSetting(2 * 86400.0f, QStringLiteral("graphOffset"));
    prefs->nowButton()->click();
    EXPECT_EQ(container->centerTimeOffset(), 0.0);
    EXPECT_EQ(storedInFile(QStringLiteral("graphOffset")).toDouble(), 0.0);
    EXPECT_NEAR(double(kT.secsTo(container->startDate())), -0.33 * 7 * 86400, 1.0);
}

TEST_F(GraphSettingsPopoverTest, ClosesOnTheGearAndOnPressesElsewhereButNotOnItself)
{
    makeHosted();
    // The gear toggles: the press on it passes the monitor, the click closes the popover once.
    clickGear();
    ASSERT_TRUE(container->prefsOpen());
    clickGear();
    EXPECT_FALSE(container->prefsOpen());
    EXPECT_FALSE(container->graphViewPrefsBubble()->isVisible());

    // Its own background and controls keep it open.
    clickGear();
    OVBubbleView *bubble = container->graphViewPrefsBubble();
    QTest::mouseClick(bubble, Qt::LeftButton, {}, QPoint(bubble->width() / 2, bubble->height() - 2));
    QTest::mouseClick(container->graphViewPrefs(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(container->prefsOpen());
    QSlider *slider = container->graphViewPrefs()->timeSlider();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_TRUE(container->prefsOpen()) << "a key press in the popover keeps it";
    EXPECT_EQ(NBPrefController::integerForKey(QStringLiteral("graphWidthDays")), 14);

    // A click elsewhere closes it and still reaches its target.
    QSignalSpy clicked(elsewhere, &QPushButton::clicked);
    QTest::mouseClick(elsewhere, Qt::LeftButton);
    EXPECT_FALSE(container->prefsOpen());
    EXPECT_EQ(clicked.count(), 1);

    // A key press elsewhere closes it and still reaches its target.
    clickGear();
    ASSERT_TRUE(container->prefsOpen());
    QTest::keyClick(field, Qt::Key_A);
    EXPECT_FALSE(container->prefsOpen());
    EXPECT_EQ(field->text(), QStringLiteral("a"));

    // Closed, the monitor is gone: presses no longer reach it.
    QTest::mouseClick(elsewhere, Qt::LeftButton);
    EXPECT_FALSE(container->prefsOpen());
    EXPECT_EQ(clicked.count(), 2);

    // The close button.
    clickGear();
    container->graphViewPrefs()->closeButton()->click();
    EXPECT_FALSE(container->prefsOpen());
}
