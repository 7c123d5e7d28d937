// Sun events against published tables: USNO's year at 29 N 81 W, USNO twilight at Orlando, the
// USNO/JPL one-day matrix from 78 N to 78 S, the polar year at the pole, and the intermediate
// quantities (position, declination) against Meeus and NOAA.
#include "SunMoonReference.h"
#include "weather/OVSun.h"

#include <gtest/gtest.h>

#include <QJsonArray>

#include <cmath>
#include <functional>
#include <memory>

using namespace sunmoon;

namespace {

// Events of the local dates around `day`, so that an event of a UT day can find its partner.
QList<QDateTime> eventsAround(const QDate &day, const OVLocation &location,
                              QDateTime (*event)(const QDateTime &, const OVLocation &))
{
    QList<QDateTime> events;
    for (int offset = -1; offset <= 1; ++offset) {
        const QDateTime instant = event(localNoon(day.addDays(offset), location), location);
        if (instant.isValid())
            events.append(instant);
    }
    return events;
}

int fixtureToleranceSeconds(const QString &name)
{
    if (name == QStringLiteral("Longyearbyen") || name == QStringLiteral("McMurdo Station"))
        return 240;
    if (name == QStringLiteral("Reykjavík") || name == QStringLiteral("Tromsø"))
        return 120;
    return 90;
}

} // namespace

TEST(Sun, EverySunriseAndSunsetOf2019At29North81WestWithinAMinuteOfUsno)
{
    const auto location = place(29.0, -81.0, "America/New_York");
    const auto table = readUsnoTable(QStringLiteral("sun_moon/astronomy-engine/usno_sun_2019_W081_N29.html"), 2019);
    ASSERT_EQ(table.size(), 365);
    const QList<QDateTime> rises = allEvents(table, true);
    const QList<QDateTime> sets = allEvents(table, false);

    for (QDate day(2019, 1, 1); day.year() == 2019; day = day.addDays(1)) {
        SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
        const QDateTime noon = localNoon(day, *location);
        const QDateTime sunrise = OVSun::sunrise(noon, *location);
        const QDateTime sunset = OVSun::sunset(noon, *location);
        ASSERT_TRUE(sunrise.isValid());
        ASSERT_TRUE(sunset.isValid());
        EXPECT_EQ(sunrise.toTimeZone(location->locationTimeZone()).date(), day);
        EXPECT_EQ(sunset.toTimeZone(location->locationTimeZone()).date(), day);
        EXPECT_LE(*nearestGap(sunrise, rises), 60);
        EXPECT_LE(*nearestGap(sunset, sets), 60);
    }
}

TEST(Sun, DawnAndDuskAtEachTwilightWithinNinetySecondsOfUsno)
{
    const QStringList rows = readText(QStringLiteral("sun_moon/astronomy-engine/riseset_twilight.txt"))
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 6);
    struct Kind
    {
        int column;
        QDateTime (*event)(const QDateTime &, const OVLocation &);
    };
    const Kind kinds[] = {{3, &OVSun::sunriseWithAstronomicalTwilight},
                          {4, &OVSun::sunriseWithNauticalTwilight},
                          {5, &OVSun::sunriseWithCivilTwilight},
                          {6, &OVSun::sunsetWithCivilTwilight},
                          {7, &OVSun::sunsetWithNauticalTwilight},
                          {8, &OVSun::sunsetWithAstronomicalTwilight}};
    for (const QString &row : rows) {
        SCOPED_TRACE(row.toStdString());
        const QStringList fields = row.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_EQ(fields.size(), 9);
        const auto location = place(fields[0].toDouble(), fields[1].toDouble(), "America/New_York");
        const QDateTime start = QDateTime::fromString(fields[2], Qt::ISODate);
        for (const Kind &kind : kinds) {
            SCOPED_TRACE(kind.column);
            const QDateTime expected = QDateTime::fromString(fields[kind.column], Qt::ISODate);
            const QDateTime computed = kind.event(start, *location);
            ASSERT_TRUE(computed.isValid());
            EXPECT_LE(std::llabs(computed.secsTo(expected)), 90);
        }
    }
}

TEST(Sun, RiseSetAndCivilTwilightFrom78NorthTo78SouthMatchUsno)
{
    struct Kind
    {
        const char *phen;
        QDateTime (*event)(const QDateTime &, const OVLocation &);
    };
    const Kind kinds[] = {{"Rise", &OVSun::sunrise},
                          {"Set", &OVSun::sunset},
                          {"Begin Civil Twilight", &OVSun::sunriseWithCivilTwilight},
                          {"End Civil Twilight", &OVSun::sunsetWithCivilTwilight}};
    int compared = 0;
    forEachFixtureDay(QStringLiteral("sundata"), [&](const QString &name, const OVLocation &location, const QDate &day,
                          const QMap<QString, QList<QDateTime>> &reference) {
        for (const Kind &kind : kinds) {
            SCOPED_TRACE(kind.phen);
            const QList<QDateTime> computed = eventsAround(day, location, kind.event);
            for (const QDateTime &expected : reference.value(QString::fromLatin1(kind.phen))) {
                const std::optional<qint64> gap = nearestGap(expected, computed);
                ASSERT_TRUE(gap.has_value());
                EXPECT_LE(*gap, fixtureToleranceSeconds(name));
                ++compared;
            }
        }
    });
    EXPECT_EQ(compared, 151 + 151 + 149 + 150);
}

TEST(Sun, PolarDayAndNightOfTheMatrixGiveNoEvent)
{
    int polarEntries = 0;
    forEachFixtureDay(QStringLiteral("sundata"), [&](const QString &, const OVLocation &location, const QDate &day,
                          const QMap<QString, QList<QDateTime>> &reference) {
        const QDateTime noon = localNoon(day, location);
        if (reference.contains(QStringLiteral("Object continuously above the Horizon"))) {
            EXPECT_FALSE(OVSun::sunset(noon, location).isValid());
            EXPECT_EQ(OVSun::dayLength(noon, location), 24.0);
            ++polarEntries;
        }
        if (reference.contains(QStringLiteral("Object continuously below the Horizon"))) {
            EXPECT_FALSE(OVSun::sunrise(noon, location).isValid());
            EXPECT_EQ(OVSun::dayLength(noon, location), 0.0);
            ++polarEntries;
        }
        if (reference.contains(QStringLiteral("Object continuously above the Twilight Limit"))) {
            EXPECT_FALSE(OVSun::sunsetWithCivilTwilight(noon, location).isValid());
            ++polarEntries;
        }
        if (reference.contains(QStringLiteral("Object continuously below the Twilight Limit"))) {
            EXPECT_FALSE(OVSun::sunriseWithCivilTwilight(noon, location).isValid());
            ++polarEntries;
        }
    });
    EXPECT_EQ(polarEntries, 16 + 15 + 21 + 11);
}

TEST(Sun, PolarNightSunsetIsSolarNoonAndPolarDaySunriseTwelveHoursEarlier)
{
    // Callers draw the dial from these, so the answers stay. Solar noon from USNO: the upper
    // transit, or in polar night the middle of civil twilight.
    const QJsonObject times = fixtures()["times"].toObject();
    const auto tromso = place(69.6489, 18.95508, "UTC");
    const QDate winter(2026, 12, 21);
    const auto night = fixtureEvents(
        times[QStringLiteral("Tromsø")].toObject()["2026-12-21"].toObject()["sundata"].toArray(), winter);
    ASSERT_EQ(night.value(QStringLiteral("Begin Civil Twilight")).size(), 1);
    ASSERT_EQ(night.value(QStringLiteral("End Civil Twilight")).size(), 1);
    const QDateTime dawn = night.value(QStringLiteral("Begin Civil Twilight")).first();
    const QDateTime nightNoon = dawn.addSecs(dawn.secsTo(night.value(QStringLiteral("End Civil Twilight")).first()) / 2);
    EXPECT_FALSE(OVSun::sunrise(localNoon(winter, *tromso), *tromso).isValid());
    EXPECT_LE(std::llabs(OVSun::sunset(localNoon(winter, *tromso), *tromso).secsTo(nightNoon)), 90);

    const auto longyearbyen = place(78.22334, 15.64689, "UTC");
    const QDate summer(2026, 6, 21);
    const auto day = fixtureEvents(
        times["Longyearbyen"].toObject()["2026-06-21"].toObject()["sundata"].toArray(), summer);
    ASSERT_EQ(day.value(QStringLiteral("Upper Transit")).size(), 1);
    const QDateTime dayNoon = day.value(QStringLiteral("Upper Transit")).first();
    EXPECT_FALSE(OVSun::sunset(localNoon(summer, *longyearbyen), *longyearbyen).isValid());
    EXPECT_LE(std::llabs(OVSun::sunrise(localNoon(summer, *longyearbyen), *longyearbyen)
                             .secsTo(dayNoon.addSecs(-12 * 3600))),
              90);
}

TEST(Sun, AtThePoleEveryDayOfContinuousDayOrNightGivesNoEvent)
{
    const auto location = place(90.0, 0.0, "UTC");
    const auto table = readUsnoTable(QStringLiteral("sun_moon/astronomy-engine/usno_sun_2022_E0_N90.html"), 2022);
    ASSERT_EQ(table.size(), 365);
    int above = 0, below = 0;
    for (auto it = table.begin(); it != table.end(); ++it) {
        const QDate day = it.key();
        // The only two days with an event at the pole.
        if (day == QDate(2022, 3, 18) || day == QDate(2022, 9, 25))
            continue;
        SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
        const QDateTime noon = localNoon(day, *location);
        ASSERT_NE(it->alwaysAbove, it->alwaysBelow);
        if (it->alwaysAbove) {
            EXPECT_FALSE(OVSun::sunset(noon, *location).isValid());
            EXPECT_EQ(OVSun::dayLength(noon, *location), 24.0);
            ++above;
        } else {
            EXPECT_FALSE(OVSun::sunrise(noon, *location).isValid());
            EXPECT_EQ(OVSun::dayLength(noon, *location), 0.0);
            ++below;
        }
    }
    EXPECT_GT(above, 150);
    EXPECT_GT(below, 150);
}

TEST(Sun, PositionOfMeeusExample25a)
{
    // 1992-10-13 0h TD is JD 2448908.5: day -2635 from 2000 Jan 0.0.
    const double day = 2448908.5 - 2451543.5;
    EXPECT_EQ(double(OVSun::daysSince2000Jan0(1992, 10, 13)), day);
    double longitude = 0, radius = 0, rightAscension = 0, declination = 0;
    OVSun::calculateSunPosition(day, &longitude, &radius);
    OVSun::calculateRelativeAngle(day, &rightAscension, &declination, &radius);
    EXPECT_NEAR(longitude, 199.90987, 0.01);
    EXPECT_NEAR(radius, 0.99766, 0.0001);
    EXPECT_NEAR(OVSun::reduceAngleTo360(rightAscension), (13 + 13 / 60.0 + 31.4 / 3600) * 15, 0.01);
    EXPECT_NEAR(declination, -(7 + 47 / 60.0 + 6 / 3600.0), 0.01);
}

TEST(Sun, DeclinationThroughTheNoaaCalculatorsDay)
{
    const QStringList lines =
        readText(QStringLiteral("sun_moon/noaa-solar-calculator/NOAA_Solar_Calculations_day.cached_values.csv"))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList header = lines.value(0).split(QLatin1Char(','));
    const qsizetype julianColumn = header.indexOf(QStringLiteral("Julian Day"));
    const qsizetype declinationColumn = header.indexOf(QStringLiteral("Sun Declin (deg)"));
    ASSERT_GE(julianColumn, 0);
    ASSERT_GE(declinationColumn, 0);
    int rows = 0;
    for (const QString &line : lines.mid(1)) {
        const QStringList fields = line.split(QLatin1Char(','));
        const double julianDay = fields.value(julianColumn).toDouble();
        SCOPED_TRACE(julianDay);
        double rightAscension = 0, declination = 0, radius = 0;
        OVSun::calculateRelativeAngle(julianDay - 2451543.5, &rightAscension, &declination, &radius);
        EXPECT_NEAR(declination, fields.value(declinationColumn).toDouble(), 0.01);
        ++rows;
    }
    EXPECT_EQ(rows, 240);
}

TEST(Sun, ApiaEventsFallOnTheAskedLocalDate)
{
    // Apia keeps a zone 13 h ahead of UT at 171.76 W: local solar noon is near 11:30 UT of the
    // previous UT day.
    const auto location = place(-13.83, -171.76, "Pacific/Apia");
    const QDate day(2024, 6, 21);
    const QDateTime noon = localNoon(day, *location);
    const QTimeZone zone = location->locationTimeZone();
    const QDateTime sunrise = OVSun::sunrise(noon, *location);
    const QDateTime sunset = OVSun::sunset(noon, *location);
    EXPECT_EQ(sunrise.toTimeZone(zone).date(), day);
    EXPECT_EQ(sunset.toTimeZone(zone).date(), day);
    EXPECT_EQ(sunrise.toTimeZone(zone).time().hour(), 6);
    EXPECT_EQ(sunset.toTimeZone(zone).time().hour(), 18);
}

TEST(Sun, MissingDateOrUnsetCoordinatesGiveNoEvent)
{
    struct Case
    {
        const char *name;
        double latitude;
        double longitude;
        QDateTime date;
    };
    const QDateTime someDay(QDate(2024, 6, 21), QTime(12, 0), QTimeZone::utc());
    const Case cases[] = {{"no date", 40, -105, QDateTime()},
                          {"unset place", -1000, -1000, someDay},
                          {"latitude beyond 90", 90.5, 0, someDay},
                          {"longitude beyond 180", 40, 180.5, someDay}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto location = place(c.latitude, c.longitude, "UTC");
        EXPECT_FALSE(OVSun::sunrise(c.date, *location).isValid());
        EXPECT_FALSE(OVSun::sunset(c.date, *location).isValid());
        EXPECT_FALSE(OVSun::sunsetWithAstronomicalTwilight(c.date, *location).isValid());
        EXPECT_EQ(OVSun::dayLength(c.date, *location), 0.0);
        EXPECT_EQ(OVSun::dayLengthWithNauticalTwilight(c.date, *location), 0.0);
    }
}
