// The secondary windows, the discontinued-product sheet and the main split view on a launched
// controller: windows made once and remembered, the journal's slot, the divider's limits.
#include "AppControllerFixture.h"
#include "BrowserRecorder.h"
#include "ViewTestSupport.h"
#include "app/journal/NBJournalController.h"
#include "app/journal/NBJournalTextView.h"
#include "app/journal/NBJournalWindow.h"
#include "app/locations/NBLocationInfoController.h"
#include "app/NBSecondaryWindows.h"
#include "core/NBPrefController.h"
#include "core/OVApplicationHooks.h"
#include "core/OVDisplayNotifications.h"
#include "core/views/NBPreferencesWindow.h"
#include "platform/OVNotificationCenter.h"

#include <QAction>
#include <QComboBox>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QTextFrame>
#include <QTextBrowser>
#include <QTest>

namespace {

constexpr qint64 kDenverID = 5419384;

class WindowsTest : public AppControllerTest
{
protected:
    static int setting(const char *key) { return int(NBPrefController::integerForKey(QString::fromLatin1(key))); }

    QSplitter *split() const { return controller->window()->splitView(); }
    int leftWidth() const { return split()->sizes().value(0); }

    /// Drags the divider to `x` as a mouse would.
    void dragDividerTo(int x)
    {
        QSplitterHandle *handle = split()->handle(1);
        const QPoint grab(handle->width() / 2, handle->height() / 2);
        QTest::mousePress(handle, Qt::LeftButton, {}, grab);
        // The handle keeps the grabbed point under the pointer: its left edge lands on x.
        const QPoint target = handle->mapFrom(split(), QPoint(x + grab.x(), handle->y() + grab.y()));
        QMouseEvent move(QEvent::MouseMove, target, handle->mapToGlobal(target), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &move);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, target);
    }
};

} // namespace

TEST_F(WindowsTest, TheActivityPanelTogglesAndRemembersItsState)
{
    launch();
    OVApplicationHooks::installed()->openActivityPanel();
    NBSecondaryWindows *windows = controller->secondaryWindows();
    QWidget *panel = windows->activityPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(setting("showActivityWindow"), 1);

    controller->openActivityPanel();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(setting("showActivityWindow"), 0);
    controller->openActivityPanel();
    EXPECT_EQ(windows->activityPanel(), panel) << "made once and kept";
    panel->close();
    EXPECT_EQ(setting("showActivityWindow"), 0) << "its own close button forgets it";

    controller->updateWeather();
    EXPECT_EQ(windows->activityPanelStatusText()->text(), QStringLiteral("Updating Weather Data"));
}

TEST_F(WindowsTest, ALaunchReopensTheWindowsOpenAtQuit)
{
    NBPrefController::setSetting(1, QStringLiteral("showActivityWindow"));
    NBPrefController::setSetting(1, QStringLiteral("showJournalWindow"));
    launch();
    ASSERT_TRUE(controller->secondaryWindows());
    EXPECT_TRUE(controller->secondaryWindows()->activityPanel()->isVisible());
    ASSERT_TRUE(controller->journalController());
    EXPECT_EQ(controller->secondaryWindows()->weatherJournalWindow(), controller->journalController()->window());
    EXPECT_TRUE(controller->secondaryWindows()->weatherJournalWindow()->isVisible());
}

TEST_F(WindowsTest, TheJournalOpensFromItsMenuAndStoresItsEntryOnPreferencesCloseAndQuit)
{
    QDir(NBPrefController::nimbrelCoreJournalPath()).removeRecursively();
    QVariantMap denver = denverDictionary();
    denver[QStringLiteral("location_id")] = kDenverID;
    saveLocations({denver, placeDictionary("Backyard", "CO", "Colorado", "US", "United States", "KDEN", 39.6, -104.9,
                                           "America/Denver")});
    env.scheduler->set(QDateTime(QDate(2024, 3, 5), QTime(18, 0), Qt::UTC));
    launch();
    EXPECT_EQ(controller->journalController(), nullptr) << "made on first opening";
    controller->menuAction(QStringLiteral("menuOpenJournal"))->trigger();
    NBJournalController *journal = controller->journalController();
    ASSERT_TRUE(journal);
    NBJournalWindow *window = journal->window();
    EXPECT_EQ(controller->secondaryWindows()->weatherJournalWindow(), window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(setting("showJournalWindow"), 1);
    ASSERT_EQ(window->locationSelect()->count(), 1);
    EXPECT_TRUE(window->locationSelect()->itemText(0).startsWith(QStringLiteral("Denver,")));
    EXPECT_EQ(journal->currentDate(), (CalendarDate{2024, 3, 5})) << "today by the controller's clock";

    const QString entry = QDir(NBPrefController::nimbrelCoreJournalPath()).filePath(QStringLiteral("24-03-05 5419384.rtfd/TXT.rtf"));
    window->textView()->setFocus();
    QTest::keyClicks(window->textView(), QStringLiteral("typed"));
    OVApplicationHooks::installed()->updateJournalValues();
    EXPECT_TRUE(readTestFile(entry).contains("typed")) << "the preferences close stores the text first";
    EXPECT_EQ(window->textView()->toPlainText(), QStringLiteral("typed"));

    // The table item inserts into the open journal only.
    OVObservationsDB::sharedDatabase()->insertWeatherConditions({observation(70.0, 5.0)}, QStringLiteral("KDEN"));
    QAction *table = controller->menuAction(QStringLiteral("menuJournalTable"));
    ASSERT_TRUE(table);
    table->trigger();
    EXPECT_EQ(window->textView()->document()->rootFrame()->childFrames().size(), 1);
    window->close();
    EXPECT_EQ(setting("showJournalWindow"), 0);
    table->trigger();
    EXPECT_EQ(window->textView()->document()->rootFrame()->childFrames().size(), 1) << "closed: nothing";

    controller->openWeatherJournal();
    EXPECT_EQ(controller->journalController(), journal) << "made once";
    QTest::keyClicks(window->textView(), QStringLiteral(" at quit"));
    controller->applicationWillTerminate();
    EXPECT_TRUE(readTestFile(entry).contains("at quit"));
    controller.reset(); // the journal window goes exactly once (ASan would tell)
}

TEST_F(WindowsTest, PreferencesShowTheStoredValuesAndEveryChoiceAppliesAtOnce)
{
    NBPrefController::setSetting(qint64(3600), QStringLiteral("updateFrequency"));
    NBPrefController::setSetting(QStringLiteral("1"), QStringLiteral("showDewpoint"));
    NBPrefController::setSetting(QStringLiteral("1"), QStringLiteral("checkForUpdates"));
    NBPrefController::setSetting(qint64(3), QStringLiteral("pressureUnits"));
    launch();
    env.scheduler->advance(120); // the launch's first update pass
    const QDateTime firstPass = controller->lastUpdateTime();
    ASSERT_TRUE(firstPass.isValid());
    int redisplays = 0;
    OVNotificationCenter::defaultCenter().addObserver(this, OVNotifyRedisplayEverything,
                                                      [&](const OVNotification &) { ++redisplays; });

    controller->menuAction(QStringLiteral("menuPreferences"))->trigger();
    auto *window = qobject_cast<NBPreferencesWindow *>(controller->secondaryWindows()->prefsWindow());
    ASSERT_TRUE(window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->updateFrequency()->currentText(), QStringLiteral("Every Hour"));
    EXPECT_TRUE(window->showDewpoint()->isChecked());
    EXPECT_TRUE(window->checkForUpdates()->isChecked());
    EXPECT_EQ(window->temperatureUnits()->currentText(), QStringLiteral("Fahrenheit"));
    EXPECT_EQ(window->pressureUnits()->currentText(), QStringLiteral("mb"));
    grabAndSave(window, "preferences_window.png");

    // Celsius by the keyboard: stored, and everything showing a temperature is told at once.
    window->temperatureUnits()->setFocus();
    QTest::keyClick(window->temperatureUnits(), Qt::Key_Down);
    EXPECT_EQ(setting("temperatureUnits"), 1);
    EXPECT_EQ(redisplays, 1);
    window->windSpeedUnits()->setFocus();
    QTest::keyClick(window->windSpeedUnits(), Qt::Key_Down);
    EXPECT_EQ(setting("windSpeedUnits"), 1);

    QTest::mouseClick(window->showDewpoint(), Qt::LeftButton, {}, QPoint(8, window->showDewpoint()->height() / 2));
    EXPECT_FALSE(NBPrefController::boolForKey(QStringLiteral("showDewpoint")));
    EXPECT_EQ(redisplays, 3);

    // Forty minutes after the last pass, "Every 30 Minutes" makes an update due now.
    env.scheduler->advance(40 * 60);
    EXPECT_EQ(controller->lastUpdateTime(), firstPass) << "not due under Every Hour";
    window->updateFrequency()->setFocus();
    QTest::keyClick(window->updateFrequency(), Qt::Key_Up);
    EXPECT_EQ(setting("updateFrequency"), 1800);
    EXPECT_EQ(controller->lastUpdateTime(), env.scheduler->now());

    // Closing writes the settings and redraws once more; opened again it shows what is stored.
    const int beforeClose = redisplays;
    window->close();
    EXPECT_EQ(redisplays, beforeClose + 1);
    NBPrefController::setSetting(qint64(2), QStringLiteral("temperatureUnits"));
    controller->openPrefsWindow();
    EXPECT_EQ(window->temperatureUnits()->currentText(), QStringLiteral("Kelvin"));
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

TEST_F(WindowsTest, KeysReachTheirItemsFromEveryWindowAndTheAboutBoxCreditsItsSources)
{
    saveLocations({denverDictionary()});
    launch();
    QAction *quit = controller->menuAction(QStringLiteral("menuNimbrelQuit"));
    QAction *table = controller->menuAction(QStringLiteral("menuJournalTable"));
    ASSERT_TRUE(quit && table);
    QMenu *windowMenu = nullptr;
    for (QAction *top : controller->window()->menuBar()->actions())
        if (top->text() == QStringLiteral("Window"))
            windowMenu = top->menu();
    ASSERT_TRUE(windowMenu);
    const auto tableEnabledWhenShown = [&] {
        windowMenu->popup(controller->window()->geometry().center());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(windowMenu));
        const bool enabled = table->isEnabled();
        windowMenu->hide();
        return enabled;
    };
    EXPECT_FALSE(tableEnabledWhenShown()) << "no journal open";

    // Ctrl+Q with the journal in front.
    controller->openWeatherJournal();
    QWidget *journal = controller->secondaryWindows()->weatherJournalWindow();
    journal->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(journal));
    EXPECT_TRUE(tableEnabledWhenShown()) << "the journal is open";
    journal->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(journal));
    QSignalSpy quitting(quit, &QAction::triggered);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : journal, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quitting.count(), 1);

    // Escape closes the About box, which names where its data come from.
    controller->menuAction(QStringLiteral("menuNimbrelAbout"))->trigger();
    QWidget *about = controller->secondaryWindows()->aboutBox();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    const QString credits = controller->secondaryWindows()->aboutBoxCredits() ? controller->secondaryWindows()->aboutBoxCredits()->text() : QString();
    for (const char *credit : {"GeoNames", "CC BY 4.0", "MIT", "Natural Earth", "Data sources and licences"})
        EXPECT_TRUE(credits.contains(QLatin1String(credit))) << credit;
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_FALSE(about->isVisible());
}

TEST_F(WindowsTest, SecondaryWindowsFirstOpenOverTheMainWindowAndALaunchPutsEverythingBack)
{
    saveLocations({denverDictionary(), portlandDictionary()});
    launch();
    QWidget *main = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    main->move(150, 120);
    ASSERT_TRUE(waitUntil([&] { return main->frameGeometry().topLeft() == QPoint(150, 120); }));
    const auto overMain = [&](QWidget *window) {
        const QPoint offset = window->frameGeometry().center() - main->frameGeometry().center();
        return offset.manhattanLength() <= 4;
    };

    controller->openActivityPanel();
    QWidget *panel = controller->secondaryWindows()->activityPanel();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    EXPECT_TRUE(waitUntil([&] { return overMain(panel); })) << "activity panel at " << panel->frameGeometry().x() << "," << panel->frameGeometry().y();
    controller->openWeatherJournal();
    QWidget *journal = controller->secondaryWindows()->weatherJournalWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(journal));
    EXPECT_TRUE(waitUntil([&] { return overMain(journal); }));
    controller->toggleInfo();
    QWidget *info = controller->locationInfoController()->infoWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(info));
    EXPECT_TRUE(waitUntil([&] { return overMain(info); }));

    // Moved and resized, Portland selected; then the program quits.
    panel->move(40, 60);
    main->resize(1000, 700);
    controller->selectLocationRow(1);
    ASSERT_TRUE(waitUntil([&] { return panel->frameGeometry().topLeft() == QPoint(40, 60) && main->width() == 1000; }));
    const QRect mainGeometry = main->geometry();
    // Quitting as the event loop does it: every window is closed, then the controller is told.
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    panel->close();
    controller->applicationWillTerminate();
    EXPECT_EQ(setting("showActivityWindow"), 1) << "the panel open at quit reopens";
    controller.reset();

    launch();
    main = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    EXPECT_TRUE(waitUntil([&] { return main->geometry() == mainGeometry; }))
        << main->geometry().x() << "," << main->geometry().y() << " " << main->width() << "x" << main->height();
    EXPECT_EQ(controller->window()->locationTable()->selectionModel()->selectedRows().value(0).row(), 1);
    EXPECT_EQ(OVWeatherController::sharedWeatherController().currentLocation()->city(), QStringLiteral("Portland"));
    panel = controller->secondaryWindows() ? controller->secondaryWindows()->activityPanel() : nullptr;
    ASSERT_TRUE(panel && panel->isVisible());
    EXPECT_TRUE(waitUntil([&] { return panel->frameGeometry().topLeft() == QPoint(40, 60); }));
}

TEST_F(WindowsTest, AboutHelpAndTheDiscontinuedSheet)
{
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0"));
    launch();
    controller->openAboutBox();
    EXPECT_EQ(controller->secondaryWindows()->aboutBoxTitle()->text(), QStringLiteral("Nimbrel Core 2.0"));
    controller->openHelp();
    EXPECT_TRUE(controller->secondaryWindows()->helpWindow()->isVisible());
    EXPECT_TRUE(controller->secondaryWindows()->helpWebView()->isReadOnly());

    BrowserRecorder browser;
    controller->openFutureUpdates();
    EXPECT_TRUE(browser.opened.isEmpty()) << "no product address: nothing";
    OVUserDefaults::standard().setObject(QStringLiteral("https://core.example.test"), QStringLiteral("NBProductWebURL"));
    env.alerts->answers = {QStringLiteral("Close"), QStringLiteral("Learn More")};
    controller->openFutureUpdates();
    controller->openFutureUpdates();
    const RecordedAlert &sheet = env.alerts->alerts.back();
    EXPECT_EQ(sheet.title, QStringLiteral("Nimbrel Core Future Updates"));
    EXPECT_EQ(sheet.message, QStringLiteral("Nimbrel Core has been discontinued and will no longer receive App Store updates."));
    EXPECT_EQ(sheet.button, QStringLiteral("Learn More|Close"));
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl(QStringLiteral("https://core.example.test/redirect/sunset/"))});
}

TEST_F(WindowsTest, TheDividerKeepsTheListBetween140And300OrCollapsed)
{
    launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
    const int rows[][2] = {{100, 140}, {400, 300}, {200, 200}, {0, 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row[0]);
        dragDividerTo(row[0]);
        EXPECT_EQ(leftWidth(), row[1]);
    }
    dragDividerTo(220);
    ASSERT_EQ(leftWidth(), 220);
    controller->window()->resize(controller->window()->width() + 200, controller->window()->height());
    QApplication::processEvents();
    EXPECT_EQ(leftWidth(), 220) << "a resize changes only the content pane";

    QTest::mouseDClick(split()->handle(1), Qt::LeftButton);
    EXPECT_EQ(leftWidth(), 0);
    QTest::mouseDClick(split()->handle(1), Qt::LeftButton);
    EXPECT_EQ(leftWidth(), 220);
    EXPECT_GT(split()->sizes().value(1), 0) << "the content pane never collapses";

    controller.reset();
    launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
    EXPECT_EQ(leftWidth(), 220) << "a restart keeps the divider";
}
