// The weather journal in the running program, used as a person would: Denver saved with its
// location id, the journal opened from the Window menu of the menu bar, a line typed into
// today's entry and another day of the month clicked. Today's entry must then be on disk with
// that text and highlighted in the calendar; after a SIGTERM the program comes back with the
// journal open.
//
// Where the journal's calendar and text sit in the program's window is found by laying out the
// same window in this process at the same size.
#include "AppTestSupport.h"
#include "ViewTestSupport.h"
#include "app/journal/Calendar.h"
#include "app/journal/NBJournalController.h"
#include "app/journal/NBJournalTextView.h"
#include "app/journal/NBJournalWindow.h"
#include "core/NBPrefController.h"
#include "core/views/OVYUp.h"
#include "platform/OVUserDefaults.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <iostream>

namespace {

constexpr qint64 kDenverID = 5419384;

QVariantMap denverWithID()
{
    QVariantMap dictionary = denverDictionary();
    dictionary[QStringLiteral("location_id")] = kDenverID;
    return dictionary;
}

/// The menu bar's titles, left to right, from the columns with ink in the bar's rows (titles
/// are farther apart than the words of one title). The bar is the band at the top whose right
/// end keeps the colour of the top right corner.
QList<QRect> menuTitles(const QImage &shot)
{
    const QRgb background = shot.pixel(shot.width() - 3, 2);
    int barHeight = 2;
    while (barHeight < std::min(shot.height(), 60)
           && std::abs(qGray(shot.pixel(shot.width() - 3, barHeight)) - qGray(background)) < 30)
        ++barHeight;
    const auto ink = [&](int x) {
        for (int y = 1; y < barHeight - 1; ++y) {
            if (std::abs(qGray(shot.pixel(x, y)) - qGray(background)) > 60)
                return true;
        }
        return false;
    };
    constexpr int kGap = 8;
    QList<QRect> titles;
    int blank = kGap;
    for (int x = 0; x < shot.width(); ++x) {
        if (!ink(x)) {
            ++blank;
            continue;
        }
        if (blank >= kGap || titles.isEmpty())
            titles.append(QRect(x, 0, 1, barHeight));
        else
            titles.last().setRight(x);
        blank = 0;
    }
    return titles;
}

/// Where a day of the shown month and the text view lie in a journal window of `size`.
struct JournalLayout
{
    QRect textView;
    QPoint dayCentre(int day) const { return calendarOrigin + days.value(day); }
    QColor dayColour(const QImage &shot, int day) const { return shot.pixelColor(calendarOrigin + dayCorners.value(day)); }

    QPoint calendarOrigin;
    QMap<int, QPoint> days;
    QMap<int, QPoint> dayCorners;
};

JournalLayout journalLayout(const QSize &size)
{
    QTemporaryDir folder;
    NBJournalController::Environment environment;
    environment.journalDirectory = folder.path();
    environment.monitoredLocations = [] { return OVWeatherLocationList{placeFrom(denverWithID())}; };
    NBJournalController controller(environment);
    NBJournalWindow *window = controller.window();
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->resize(size);
    window->show();
    QApplication::processEvents();
    JournalLayout layout;
    layout.textView = QRect(window->textView()->mapTo(window, QPoint()), window->textView()->size());
    layout.calendarOrigin = window->datePicker()->mapTo(window, QPoint());
    const auto &days = window->datePicker()->cell().days();
    for (int index = 0; index < CalendarCell::kGridSize; ++index) {
        if (days[index] < 1)
            continue;
        layout.days[days[index]] = OVYUp::toWidget(CalendarCell::rectForIndex(index).center(), CalendarCell::kHeight).toPoint();
        layout.dayCorners[days[index]] =
            OVYUp::toWidgetGeometry(CalendarCell::rectForIndex(index), CalendarCell::kHeight).topLeft() + QPoint(1, 1);
    }
    window->hide();
    return layout;
}

TEST(JournalProgram, AnEntryTypedInTheRunningProgramIsStoredAndTheJournalReopens)
{
    FixtureHttpServer hosts;
    ASSERT_TRUE(hosts.start());
    storeServiceHosts(hosts.baseUrl());
    OVUserDefaults::standard().setObject(QVariantList{denverWithID()}, QStringLiteral("locations"));
    ASSERT_TRUE(OVUserDefaults::standard().synchronize());
    const QDir journal(NBPrefController::nimbrelCoreJournalPath());
    const QDate today = QDate::currentDate();
    const QString entry = journal.filePath(today.toString(QStringLiteral("yy-MM-dd")) + QStringLiteral(" 5419384.rtfd/TXT.rtf"));
    QFile::remove(entry);

    RunningProgram app;
    ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    ASSERT_FALSE(app.waitForWindow("Nimbrel Core").isEmpty());
    // The Window menu is the title before Help, the last one; the journal its second item.
    QList<QRect> titles;
    waitUntil(
        [&] {
            const QImage shot = app.screenshot(testOutputPath("journal-main.png"));
            titles = shot.isNull() ? QList<QRect>() : menuTitles(shot);
            return titles.size() >= 2;
        },
        20000);
    ASSERT_GE(titles.size(), 2) << "no menu bar in " << testOutputPath("journal-main.png").toStdString();
    app.click(titles.at(titles.size() - 2).center());
    app.keys({QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")});
    ASSERT_FALSE(app.waitForWindow("Weather Journal", 10000).isEmpty()) << "the menu item opened no journal";

    const JournalLayout layout = journalLayout(app.windowSize());
    const int otherDay = today.day() == 1 ? 2 : 1;
    // On a loaded machine the first click may reach the window before its text view takes the
    // keys; then the typing is lost and the test goes back to today and types again.
    bool stored = false;
    for (int attempt = 0; attempt < 3 && !stored; ++attempt) {
        if (attempt > 0) {
            app.click(layout.dayCentre(today.day()));
            QTest::qWait(1000);
        }
        app.click(layout.textView.center());
        QTest::qWait(300);
        app.typeText(QStringLiteral("Journal test"));
        app.click(layout.dayCentre(otherDay));
        stored = waitUntil([&] { return readTestFile(entry).contains("Journal test"); }, 8000);
    }
    ASSERT_TRUE(stored) << "no entry with the typed text at " << entry.toStdString();

    // The calendar shows the clicked day once it has drawn again: the screen is taken until it
    // does, or a generous deadline passes.
    const QString shotPath = testOutputPath(QStringLiteral("journal.png"));
    QImage journalShot;
    waitUntil(
        [&] {
            journalShot = app.screenshot(shotPath);
            return !journalShot.isNull() && layout.dayColour(journalShot, today.day()) == QColor(255, 255, 128)
                   && layout.dayColour(journalShot, otherDay) == QColor(196, 224, 251);
        },
        10000);
    std::cout << "journal: " << shotPath.toStdString() << std::endl;
    ASSERT_FALSE(journalShot.isNull());
    EXPECT_EQ(layout.dayColour(journalShot, today.day()), QColor(255, 255, 128)) << "today highlighted";
    EXPECT_EQ(layout.dayColour(journalShot, otherDay), QColor(196, 224, 251)) << "the clicked day chosen";
    EXPECT_TRUE(app.terminate());

    RunningProgram again;
    ASSERT_TRUE(again.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    EXPECT_FALSE(again.waitForWindow("Weather Journal", 20000).isEmpty()) << "the journal was open at quit";
    EXPECT_TRUE(again.terminate());
}

} // namespace
