// The location list, its sheets and the badge in the running program: three saved places with
// station files, keys and clicks given with xdotool, the screen read back with `import`, the
// window's icon property with `xprop`. The add sheet, the location info window and the open locations menu
// are saved as pictures for a person to look at.
#include "AppTestSupport.h"
#include "ViewTestSupport.h"
#include "app/NBDockTile.h"
#include "app/locations/NBTableView.h"
#include "core/NBPrefController.h"
#include "platform/OVUserDefaults.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVObservationsDB.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <iostream>

namespace {

/// The first band of rows in the list (left of x = 140, above its bottom strip) painted in the
/// list's selection colour: its first and last row, or -1, -1.
std::pair<int, int> selectionBand(const QImage &shot)
{
    const QRgb selected = NBTableView::selectionColor().rgb() & 0xffffff;
    int top = -1;
    for (int y = 0; y < shot.height() - 120; ++y) {
        int count = 0;
        for (int x = 0; x < std::min(140, shot.width()); ++x)
            count += (shot.pixel(x, y) & 0xffffff) == selected ? 1 : 0;
        if (count >= 40 && top < 0)
            top = y;
        else if (count < 40 && top >= 0)
            return {top, y - 1};
    }
    return {-1, -1};
}

QString xprop(const QString &window, const QString &property)
{
    QProcess process;
    process.start(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("-notype"), QStringLiteral("-f"),
                                            property, QStringLiteral("32c"), property});
    process.waitForFinished(10000);
    return QString::fromLatin1(process.readAllStandardOutput());
}

/// True when some pixel of the icons in a _NET_WM_ICON value (width, height, ARGB...) is the
/// badge's red.
bool iconPropertyHasBadge(const QString &value)
{
    QList<quint32> numbers;
    for (const auto &match : QRegularExpression(QStringLiteral("\\d+")).globalMatch(value.section(QLatin1Char('='), 1)))
        numbers << match.captured(0).toUInt();
    const quint32 red = NBDockTile::badgeColor().rgb() & 0xffffff;
    for (qsizetype at = 0; at + 2 <= numbers.size();) {
        const qsizetype pixels = qsizetype(numbers[at]) * numbers[at + 1];
        for (qsizetype i = at + 2; i < std::min(numbers.size(), at + 2 + pixels); ++i)
            if ((numbers[i] & 0xffffff) == red && (numbers[i] >> 24) == 0xff)
                return true;
        at += 2 + pixels;
    }
    return false;
}

} // namespace

TEST(LocationsProgram, ShortcutSheetsInfoWindowMenuAndBadge)
{
    FixtureHttpServer server;
    ASSERT_TRUE(server.start());
    storeServiceHosts(server.baseUrl());
    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.setObject(server.baseUrl(), OVBrisantObservationsBroker::ServerURLKey);
    {
        const QString folder = NBPrefController::nimbrelCoreObservationsPath();
        ASSERT_TRUE(QDir().mkpath(folder));
        OVObservationsDB stations(folder);
        for (const char *station : {"KDEN", "KPDX", "EGLL"})
            stations.insertWeatherConditions({observation(72.0)}, QString::fromLatin1(station));
    }
    defaults.setObject(QVariantList{denverDictionary(), portlandDictionary(), londonDictionary()}, QStringLiteral("locations"));
    ASSERT_TRUE(defaults.synchronize());

    RunningProgram app;
    ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    const QString window = app.waitForWindow(QStringLiteral("Nimbrel Core"));
    ASSERT_FALSE(window.isEmpty());

    // Ctrl+1 selects the first row; Ctrl+2 moves the selection colour one row down.
    const auto band = [&](const char *name) { return selectionBand(app.screenshot(testOutputPath(name))); };
    std::pair<int, int> first, second;
    ASSERT_TRUE(waitUntil([&] {
        app.key(QStringLiteral("ctrl+1"));
        first = band("locations_ctrl1.png");
        return first.first >= 0;
    }, 20000)) << "no selected row after Ctrl+1";
    app.key(QStringLiteral("ctrl+2"));
    waitUntil([&] { second = band("locations_ctrl2.png"); return second.first > first.first; }, 10000);
    const int rowHeight = first.second - first.first + 1;
    EXPECT_GE(rowHeight, 40);
    EXPECT_NEAR(second.first - first.first, rowHeight, 2) << "Ctrl+1 row at " << first.first << ", Ctrl+2 row at " << second.first;
    EXPECT_EQ(second.second - second.first, first.second - first.first);

    // The window's icon carries the first place's temperature on the red badge.
    EXPECT_TRUE(waitUntil([&] { return iconPropertyHasBadge(xprop(window, QStringLiteral("_NET_WM_ICON"))); }, 10000));

    // The add sheet, from the list's context menu below the rows (its first item).
    const QPoint below(70, second.second + 3 * rowHeight);
    app.click(below, 3);
    app.click(below + QPoint(20, 12), 1);
    EXPECT_FALSE(app.waitForOtherWindow(QStringLiteral("Add Location")).isEmpty()) << [] {
        QProcess tree;
        tree.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
        tree.waitForFinished();
        return tree.readAllStandardOutput().toStdString();
    }();
    QTest::qWait(300);
    const QString addShot = testOutputPath("add_panel.png");
    ASSERT_FALSE(app.screenshotScreen(addShot).isNull());
    std::cout << "add sheet: " << addShot.toStdString() << std::endl;
    app.keys({QStringLiteral("Escape")});
    QTest::qWait(300);

    // The location info window, by its shortcut.
    app.key(QStringLiteral("ctrl+i"));
    EXPECT_FALSE(app.waitForOtherWindow(QStringLiteral("Location Info")).isEmpty());
    QTest::qWait(300);
    const QString infoShot = testOutputPath("location-info.png");
    ASSERT_FALSE(app.screenshotScreen(infoShot).isNull());
    std::cout << "location info: " << infoShot.toStdString() << std::endl;

    // The locations menu, opened from the menu bar by keyboard: Alt, then the second title.
    app.key(QStringLiteral("alt"));
    app.key(QStringLiteral("Right"));
    app.key(QStringLiteral("Down"));
    app.key(QStringLiteral("Up"));
    app.key(QStringLiteral("Right"));
    QTest::qWait(300);
    const QString menuShot = testOutputPath("locations_menu.png");
    ASSERT_FALSE(app.screenshotScreen(menuShot).isNull());
    std::cout << "locations menu: " << menuShot.toStdString() << std::endl;
    app.keys({QStringLiteral("Escape"), QStringLiteral("Escape"), QStringLiteral("Escape")});

    EXPECT_TRUE(app.terminate());
}
