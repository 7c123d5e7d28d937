// The graph stack in the running program, on the real clock: Denver saved, the NDFD host the
// fixture server, whose hourly time-series reply is moved by whole hours so that its 06:00 of
// 10 November 2013 in Denver is this hour (the graphs then show the same weather round the
// present at any hour of the day), and the station file KDEN.db made by the sqlite3 shell from
// the fixture, dated over the last three days. After the first update the screenshot must show the panels on one shared window: the
// temperature graph in the scale's medium colours of the fixture's temperatures, the present
// line a third into the window through each flat panel, the cylinder in its body
// colour. A drag moves the window, and the offset is in the settings file after quitting.
#include "AppTestSupport.h"
#include "ViewTestSupport.h"
#include "core/NBPrefController.h"
#include "graphs/NBCommon.h"
#include "platform/OVUserDefaults.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"
#include "weather/OVWeatherLocation.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QList>
#include <QMap>
#include <QPair>
#include <QProcess>
#include <QSet>

#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace {

const QString kHourlyPath = QStringLiteral("/xml/sample_products/browser_interface/ndfdXMLclient.php");
const QString kByDayPath = QStringLiteral("/xml/sample_products/browser_interface/ndfdBrowserClientByDay.php");

quint32 key(const QColor &c)
{
    return quint32(c.red()) << 16 | quint32(c.green()) << 8 | quint32(c.blue());
}

/// Every colour within `tolerance` per channel of the medium temperature scale between two
/// temperatures.
QSet<quint32> mediumColours(double fromC, double toC, int tolerance)
{
    const OVGradient &gradient = NBCommon::mediumTemperatureGradient();
    const double span = NBCommon::temperatureGradientMaxC() - NBCommon::temperatureGradientMinC();
    QSet<quint32> colours;
    for (double t = fromC; t <= toC; t += 0.05) {
        const QColor c = gradient.interpolatedColorAtLocation((t - NBCommon::temperatureGradientMinC()) / span);
        for (int dr = -tolerance; dr <= tolerance; ++dr)
            for (int dg = -tolerance; dg <= tolerance; ++dg)
                for (int db = -tolerance; db <= tolerance; ++db)
                    colours.insert(key(QColor(std::clamp(c.red() + dr, 0, 255), std::clamp(c.green() + dg, 0, 255),
                                              std::clamp(c.blue() + db, 0, 255))));
    }
    return colours;
}

struct Matches
{
    int count = 0;
    QRect box;
};

Matches matching(const QImage &shot, const QSet<quint32> &colours)
{
    Matches m;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (colours.contains(shot.pixel(x, y) & 0xFFFFFF)) {
                ++m.count;
                m.box |= QRect(x, y, 1, 1);
            }
    return m;
}

int value(const QImage &shot, int x, int y)
{
    return QColor(shot.pixel(x, y)).value();
}

/// A pixel of a 3-px light vertical line: it and its neighbours across are lighter than the
/// pixels 4 to either side.
bool onThickLine(const QImage &shot, int x, int y)
{
    if (x < 4 || x + 4 >= shot.width())
        return false;
    const int outside = std::max(value(shot, x - 4, y), value(shot, x + 4, y));
    for (int dx = -1; dx <= 1; ++dx)
        if (value(shot, x + dx, y) < outside + 15)
            return false;
    return true;
}

/// Runs of present-line pixels down the screenshot near one column, separated by more than
/// `gap` rows without one and at least 10 rows tall, as their first and last rows. A panel whose
/// value labels are wider starts its plot further right, so its present line may stand a few
/// pixels off the temperature panel's; only pixels of the line's own shade count, which leaves
/// out the dimmed line under a status message, and the height leaves out the date labels the
/// line crosses near midnight.
QList<QPair<int, int>> presentLineRuns(const QImage &shot, int column, int shade, int fromY, int toY, int gap)
{
    QList<QPair<int, int>> runs;
    int first = -1000;
    int last = -1000;
    const auto endRun = [&] {
        if (last - first >= 10)
            runs.append({first, last});
    };
    for (int y = fromY; y < toY; ++y) {
        bool hit = false;
        for (int x = column - 8; x <= column + 8 && !hit; ++x)
            hit = onThickLine(shot, x, y) && std::abs(value(shot, x, y) - shade) <= 12;
        if (!hit)
            continue;
        if (y - last > gap) {
            endRun();
            first = y;
        }
        last = y;
    }
    endRun();
    return runs;
}

/// Where the present line stands in a screenshot of the stack: its column (the one with most
/// line pixels in the temperature graph's box), its shade, and its runs down the stack.
struct PresentLine
{
    int column = -1;
    int shade = 0;
    QList<QPair<int, int>> runs;
};

PresentLine presentLine(const QImage &shot, const QRect &box)
{
    PresentLine line;
    int best = 0;
    for (int x = box.left(); x <= box.right(); ++x) {
        int hits = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            hits += onThickLine(shot, x, y) ? 1 : 0;
        if (hits > best) {
            best = hits;
            line.column = x;
        }
    }
    if (line.column < 0)
        return line;
    // The line's shade is the one most of its pixels in the temperature panel have.
    QMap<int, int> shades;
    for (int y = box.top(); y <= box.bottom(); ++y)
        if (onThickLine(shot, line.column, y))
            ++shades[value(shot, line.column, y)];
    line.shade = std::max_element(shades.keyValueBegin(), shades.keyValueEnd(),
                                  [](auto a, auto b) { return a.second < b.second; })->first;
    line.runs = presentLineRuns(shot, line.column, line.shade, box.top(), shot.height(), 20);
    return line;
}

/// The rows of the stack (the columns of `box`) that are more than half the cylinder's body
/// colour, as a rectangle over those columns; null when there are none.
QRect cylinderRows(const QImage &shot, const QRect &box, const QSet<quint32> &body)
{
    QRect rows;
    for (int y = 0; y < shot.height(); ++y) {
        int count = 0;
        for (int x = std::max(box.left(), 0); x <= std::min(box.right(), shot.width() - 1); ++x)
            count += body.contains(shot.pixel(x, y) & 0xFFFFFF) ? 1 : 0;
        if (count > box.width() / 2)
            rows |= QRect(box.left(), y, box.width(), 1);
    }
    return rows;
}

/// The runs that do not reach into the rows of `cylinder`: the cylinder's present line bends
/// round its body, and the rings it draws at midnight run beside that line when the present is
/// near midnight, so its rows are no flat panel's.
QList<QPair<int, int>> outside(const QList<QPair<int, int>> &runs, const QRect &cylinder)
{
    QList<QPair<int, int>> kept;
    for (const auto &run : runs)
        if (cylinder.isNull() || run.second < cylinder.top() || run.first > cylinder.bottom())
            kept.append(run);
    return kept;
}

std::string describe(const QList<QPair<int, int>> &runs)
{
    QStringList parts;
    for (const auto &[first, last] : runs)
        parts << QStringLiteral("%1-%2").arg(first).arg(last);
    return parts.join(QStringLiteral(", ")).toStdString();
}

bool runSqlite(const QString &database, const QString &sql)
{
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {database, sql});
    return shell.waitForFinished(20000) && shell.exitCode() == 0;
}

} // namespace

TEST(GraphsProgram, StackShowsTheFixturesWeatherAndKeepsTheDraggedWindow)
{
    const auto denver = placeFrom(denverDictionary());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDate today = now.toTimeZone(denver->locationTimeZone()).date();
    const QDateTime thisHour(now.date(), QTime(now.time().hour(), 0), Qt::UTC);
    const qint64 shift = QDateTime(QDate(2013, 11, 10), QTime(13, 0), Qt::UTC).secsTo(thisHour);
    FixtureHttpServer server;
    ASSERT_TRUE(server.start());
    const QByteArray hourly = testDataWithTimesMoved(
        QStringLiteral("weather/ndfd/timeseries_all_elements_2013-11-10_39.70_-104.75.xml"), shift);
    const QByteArray byDay = testDataWithDatesMoved(QStringLiteral("weather/ndfd/byday_12hourly_39.70_-104.75.xml"),
                                                    QDate(2013, 11, 12), today);
    ASSERT_FALSE(hourly.isEmpty());
    server.serve(kHourlyPath, FixtureResponse::text(hourly, "text/xml"));
    server.serve(kByDayPath, FixtureResponse::text(byDay, "text/xml"));

    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.setObject(server.baseUrl(), QStringLiteral("OVNDFDServerURL"));
    defaults.setObject(QVariantList{denverDictionary()}, QStringLiteral("locations"));
    // A day wide, at the present, and low enough panels that the eight shown ones share the stack.
    defaults.setObject(1, QStringLiteral("graphWidthDays"));
    defaults.setObject(0.0, QStringLiteral("graphOffset"));
    defaults.setObject(70, QStringLiteral("graphHeight"));
    storeServiceHosts(server.baseUrl());

    // The station's history: the fixture's table and rows moved with the forecast and a day
    // back (out of the window), and hourly rows over the last three days.
    const QString stations = NBPrefController::nimbrelCoreObservationsPath();
    ASSERT_TRUE(QDir().mkpath(stations));
    const QString kden = stations + QStringLiteral("/KDEN.db");
    QFile::remove(kden);
    QProcess shell;
    shell.setStandardInputFile(testDataPath(QStringLiteral("graphs/kden_2013-11.sql")));
    shell.start(QStringLiteral("sqlite3"), {kden});
    ASSERT_TRUE(shell.waitForFinished(20000));
    ASSERT_EQ(shell.exitCode(), 0);
    ASSERT_TRUE(runSqlite(kden, QStringLiteral(
        "UPDATE icao_history SET entry_date = strftime('%Y%m%d%H%M%S', substr(entry_date, 1, 4) || '-' || "
        "substr(entry_date, 5, 2) || '-' || substr(entry_date, 7, 2) || ' ' || substr(entry_date, 9, 2) || ':' || "
        "substr(entry_date, 11, 2) || ':' || substr(entry_date, 13, 2), '%1 seconds');"
        "WITH RECURSIVE h(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM h WHERE n < 72) "
        "INSERT OR IGNORE INTO icao_history SELECT strftime('%Y%m%d%H%M00', 'now', printf('-%d hours', n)), "
        "200 + n, 6 + n % 5, -1000, 6.0 + (n % 24) * 0.4, -6.0, 0 FROM h;").arg(shift - 86400, 0, 10)));
    ASSERT_TRUE(defaults.synchronize());

    // The cylinder's body: the settings' background colour at 0.8 over the panel's colour.
    NBPrefController::initSettings();
    const QColor body = NBPrefController::settingForKey(QStringLiteral("backgroundColor")).value<QColor>();
    const QColor panel = NBPrefController::settingForKey(QStringLiteral("viewBackgroundColor")).value<QColor>();
    ASSERT_TRUE(body.isValid() && panel.isValid());
    const QColor blended(int(std::lround(0.8 * body.red() + 0.2 * panel.red())),
                         int(std::lround(0.8 * body.green() + 0.2 * panel.green())),
                         int(std::lround(0.8 * body.blue() + 0.2 * panel.blue())));
    QSet<quint32> bodyColours;
    for (int dr = -3; dr <= 3; ++dr)
        for (int dg = -3; dg <= 3; ++dg)
            for (int db = -3; db <= 3; ++db)
                bodyColours.insert(key(QColor(std::clamp(blended.red() + dr, 0, 255),
                                              std::clamp(blended.green() + dg, 0, 255),
                                              std::clamp(blended.blue() + db, 0, 255))));

    RunningProgram app;
    ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    ASSERT_FALSE(app.waitForWindow("Nimbrel Core").isEmpty());
    app.resizeWindow(QSize(1400, 960));

    // The first update runs 2 s after launch: wait for the temperature graph's colours over the
    // past (the station) and the future (the forecast), and for the present line through six
    // flat panels. Temperature, wind speed, chance of rain, rain, clouds and humidity; the
    // pressure panel lies dimmed under "Unavailable at this location." (neither the station file
    // nor the forecast has pressure), which fades in over a moment after the panels are drawn;
    // the cylinder draws its present line round the body and is left out.
    const QSet<quint32> medium = mediumColours(-15.0, 30.0, 3);
    const QString shotPath = testOutputPath(QStringLiteral("graphs_main_window.png"));
    QImage shot;
    Matches temperature;
    PresentLine line;
    waitUntil(
        [&] {
            shot = app.screenshot(shotPath);
            temperature = shot.isNull() ? Matches{} : matching(shot, medium);
            if (server.requestCount(kHourlyPath) == 0 || temperature.box.width() <= 300)
                return false;
            line = presentLine(shot, temperature.box);
            line.runs = outside(line.runs, cylinderRows(shot, temperature.box, bodyColours));
            return line.runs.size() == 6;
        },
        40000);
    std::cout << "screenshot: " << shotPath.toStdString() << " (hourly requests " << server.requestCount(kHourlyPath)
              << ", daily " << server.requestCount(kByDayPath) << ")" << std::endl;
    ASSERT_GT(temperature.count, 400) << "no temperature colours in " << shotPath.toStdString();
    const QRect box = temperature.box;
    EXPECT_GT(box.width(), 300);

    // The present line: a third into the window, through every flat panel below.
    const int column = line.column;
    ASSERT_GE(column, 0);
    EXPECT_NEAR(column, box.left() + 0.33 * box.width(), 4.0);
    EXPECT_EQ(line.runs.size(), 6) << "present line (shade " << line.shade << ") down rows " << describe(line.runs)
                                    << " beside the cylinder";

    // Hover over the present moment with the program active: the read-out shows.
    // On a loaded machine the read-out may come late, so the pointer is moved again (a pixel to
    // and fro, each move a new event) until the screenshot shows it.
    const QPoint present(column, box.center().y());
    int moves = 0;
    QImage hovered;
    EXPECT_TRUE(waitUntil(
        [&] {
            app.hover(present + QPoint(moves++ % 2, 0));
            hovered = app.screenshot(testOutputPath(QStringLiteral("graphs_hover.png")));
            return hovered.copy(box) != shot.copy(box);
        },
        10000))
        << "no read-out under the pointer";

    // A drag of 100 px to the left on the temperature graph moves the window later.
    app.drag(present, present - QPoint(100, 0));
    QImage dragged;
    EXPECT_TRUE(waitUntil(
        [&] {
            dragged = app.screenshot(testOutputPath(QStringLiteral("graphs_dragged.png")));
            return dragged.copy(box) != shot.copy(box);
        },
        10000))
        << "the drag did not move the graphs";
    EXPECT_TRUE(app.terminate());

    OVUserDefaults stored(OVUserDefaults::standardPath());
    EXPECT_NE(stored.doubleForKey(QStringLiteral("graphOffset")), 0.0);

    EXPECT_GT(matching(shot, bodyColours).count, 2000) << "cylinder body " << blended.name().toStdString();
}
