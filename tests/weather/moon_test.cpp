// Moonrise, moonset and phase against published tables: USNO's 2019 year at 29 N 81 W (in UTC
// and in the half- and three-quarter-hour zones of India and Nepal), the USNO/JPL one-day matrix
// from 78 N to 78 S, and USNO's phase instants 1950-2050.
#include "SunMoonReference.h"
#include "weather/OVMoon.h"

#include <gtest/gtest.h>

#include <QJsonArray>

#include <cmath>
#include <memory>

using namespace sunmoon;

namespace {

const QMap<QDate, UsnoDay> &usnoMoon2019()
{
    static const QMap<QDate, UsnoDay> table =
        readUsnoTable(QStringLiteral("sun_moon/astronomy-engine/usno_moon_2019_W081_N29.html"), 2019);
    return table;
}

// The phase as the first request of the instant's GMT day (another day is asked first, so the
// one-day cache cannot answer).
double firstPhaseOfDay(const QDateTime &instant)
{
    OVMoon::moonPhase(QDateTime(QDate(1900, 1, 1), QTime(0, 0), QTimeZone::utc()), QTimeZone::utc());
    return OVMoon::moonPhase(instant, QTimeZone::utc());
}

// Distance between two phases on the circle of one lunation.
double phaseGap(double phase, double expected)
{
    const double gap = std::fmod(std::fabs(phase - expected), 1.0);
    return std::min(gap, 1.0 - gap);
}

int moonToleranceSeconds(const QString &name)
{
    if (name == QStringLiteral("Longyearbyen"))
        return 600;
    if (name == QStringLiteral("Reykjavík") || name == QStringLiteral("McMurdo Station"))
        return 180;
    return 120;
}

} // namespace

TEST(Moon, EveryDayOf2019InUtcHasExactlyUsnosEventsWithinTwoMinutes)
{
    const auto location = place(29.0, -81.0, "UTC");
    const auto &table = usnoMoon2019();
    ASSERT_EQ(table.size(), 365);
    int daysWithoutRise = 0, daysWithoutSet = 0;
    for (auto it = table.begin(); it != table.end(); ++it) {
        SCOPED_TRACE(it.key().toString(Qt::ISODate).toStdString());
        const QDateTime noon = localNoon(it.key(), *location);
        const QDateTime rise = OVMoon::moonrise(noon, *location);
        const QDateTime set = OVMoon::moonset(noon, *location);
        ASSERT_EQ(rise.isValid(), !it->rises.isEmpty());
        ASSERT_EQ(set.isValid(), !it->sets.isEmpty());
        if (rise.isValid())
            EXPECT_LE(std::llabs(rise.secsTo(it->rises.first())), 120);
        else
            ++daysWithoutRise;
        if (set.isValid())
            EXPECT_LE(std::llabs(set.secsTo(it->sets.first())), 120);
        else
            ++daysWithoutSet;
    }
    // About one day a month has no rise, and one no set.
    EXPECT_GE(daysWithoutRise, 11);
    EXPECT_GE(daysWithoutSet, 11);
}

TEST(Moon, HalfAndThreeQuarterHourZonesKeepTheEventsWithinTwoMinutes)
{
    const QList<QDateTime> rises = allEvents(usnoMoon2019(), true);
    const QList<QDateTime> sets = allEvents(usnoMoon2019(), false);
    const QDateTime yearStart(QDate(2019, 1, 1), QTime(0, 0), QTimeZone::utc());
    const QDateTime yearEnd(QDate(2020, 1, 1), QTime(0, 0), QTimeZone::utc());
    for (const char *zone : {"Asia/Kolkata", "Asia/Kathmandu"}) {
        SCOPED_TRACE(zone);
        const auto location = place(29.0, -81.0, zone);
        int compared = 0;
        for (QDate day(2019, 1, 1); day.year() == 2019; day = day.addDays(1)) {
            SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
            const QDateTime noon = localNoon(day, *location);
            for (const auto &[event, reference] :
                 {std::pair{OVMoon::moonrise(noon, *location), &rises},
                  std::pair{OVMoon::moonset(noon, *location), &sets}}) {
                if (!event.isValid() || event < yearStart || event >= yearEnd)
                    continue;
                EXPECT_LE(*nearestGap(event, *reference), 120);
                ++compared;
            }
        }
        EXPECT_GT(compared, 690);
    }
}

TEST(Moon, EventsFrom78NorthTo78SouthMatchUsnoInPresenceAndTime)
{
    int compared = 0;
    forEachFixtureDay(QStringLiteral("moondata"), [&](const QString &name, const OVLocation &location,
                                                      const QDate &day,
                                                      const QMap<QString, QList<QDateTime>> &reference) {
        const QDateTime noon = localNoon(day, location);
        for (const auto &[phen, event] : {std::pair{QStringLiteral("Rise"), OVMoon::moonrise(noon, location)},
                                          std::pair{QStringLiteral("Set"), OVMoon::moonset(noon, location)}}) {
            SCOPED_TRACE(phen.toStdString());
            const QList<QDateTime> expected = reference.value(phen);
            ASSERT_EQ(event.isValid(), !expected.isEmpty());
            if (event.isValid()) {
                EXPECT_LE(std::llabs(event.secsTo(expected.first())), moonToleranceSeconds(name));
                ++compared;
            }
        }
    });
    EXPECT_EQ(compared, 150 + 149);
}

TEST(Moon, PhaseAtEveryNewQuarterAndFullMoonFrom1950To2050)
{
    const QStringList lines = readText(QStringLiteral("sun_moon/astronomy-engine/moonphase_moonphases.txt"))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    int compared = 0;
    for (const QString &line : lines) {
        const QStringList fields = line.split(QLatin1Char(' '));
        ASSERT_EQ(fields.size(), 2);
        const QDateTime instant = QDateTime::fromString(fields[1], Qt::ISODateWithMs).toUTC();
        if (instant.date().year() < 1950 || instant.date().year() > 2050)
            continue;
        SCOPED_TRACE(line.toStdString());
        EXPECT_LE(phaseGap(firstPhaseOfDay(instant), fields[0].toInt() * 0.25), 0.005);
        ++compared;
    }
    EXPECT_EQ(compared, 543); // the file keeps every tenth year
}

TEST(Moon, IlluminatedFractionAtMidnightUtcMatchesJplHorizons)
{
    const QJsonObject geo = fixtures().value(QLatin1String("moonGeo")).toObject();
    int compared = 0;
    for (auto it = geo.begin(); it != geo.end(); ++it) {
        if (!it.key().endsWith(QLatin1String("T00:00:00Z")))
            continue;
        SCOPED_TRACE(it.key().toStdString());
        const double phase = firstPhaseOfDay(QDateTime::fromString(it.key(), Qt::ISODate));
        const double fraction = phase <= 0.5 ? 2 * phase : 2 - 2 * phase;
        EXPECT_NEAR(fraction, it.value().toObject().value(QLatin1String("fraction")).toDouble(), 0.005);
        ++compared;
    }
    EXPECT_EQ(compared, 13);
}

TEST(Moon, OneGmtDayGivesOnePhase)
{
    const QDate day(2024, 3, 17);
    const double early = firstPhaseOfDay(QDateTime(day, QTime(1, 0), QTimeZone::utc()));
    const double late = OVMoon::moonPhase(QDateTime(day, QTime(23, 0), QTimeZone::utc()),
                                          QTimeZone::utc());
    EXPECT_EQ(early, late);
    // The next day is computed afresh.
    EXPECT_NE(OVMoon::moonPhase(QDateTime(day.addDays(1), QTime(1, 0), QTimeZone::utc()),
                                QTimeZone::utc()),
              early);
}

TEST(Moon, JulianDayOfTheCalendarDayInTheZone)
{
    const QDateTime instant(QDate(2000, 1, 1), QTime(0, 0), QTimeZone::utc());
    EXPECT_EQ(OVMoon::julianDay(instant, QTimeZone::utc()), 2451544.5);
    // Still 31 December 1999 in New York.
    EXPECT_EQ(OVMoon::julianDay(instant, QTimeZone("America/New_York")), 2451543.5);
}

TEST(Moon, MissingDateOrUnsetCoordinatesGiveNoEvent)
{
    const QDateTime someDay(QDate(2024, 6, 21), QTime(12, 0), QTimeZone::utc());
    EXPECT_EQ(OVMoon::moonPhase(QDateTime(), QTimeZone::utc()), 0.0);
    EXPECT_EQ(OVMoon::moonPhase(someDay, QTimeZone()), 0.0);
    struct Case
    {
        const char *name;
        double latitude;
        double longitude;
        QDateTime date;
    };
    const Case cases[] = {{"no date", 40, -105, QDateTime()},
                          {"unset place", -1000, -1000, someDay},
                          {"latitude beyond 90", -91, 0, someDay},
                          {"longitude beyond 180", 40, -200, someDay}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto location = place(c.latitude, c.longitude, "UTC");
        EXPECT_FALSE(OVMoon::moonrise(c.date, *location).isValid());
        EXPECT_FALSE(OVMoon::moonset(c.date, *location).isValid());
    }
}
