// Readers for the published sun and moon tables under tests/data/sun_moon, and the matching of
// computed events with reference events (local dates and UT days differ, so an event is matched
// with the nearest one of the same kind).
#pragma once

#include "support/TestHelpers.h"
#include "weather/OVLocation.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QTimeZone>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

namespace sunmoon {

inline std::shared_ptr<OVLocation> place(double latitude, double longitude, const char *zone)
{
    auto location = std::make_shared<OVLocation>();
    location->setLatitude(latitude, longitude);
    location->setLocationTimeZoneName(QString::fromLatin1(zone));
    return location;
}

/// The instant each test asks about for a local date.
inline QDateTime localNoon(const QDate &day, const OVLocation &location)
{
    return QDateTime(day, QTime(12, 0), location.locationTimeZone());
}

/// One UT day of a USNO one-year table: the listed events (a day may list two of a kind) and
/// the polar markers ("****" above the horizon all day, "----" below).
struct UsnoDay
{
    QList<QDateTime> rises;
    QList<QDateTime> sets;
    bool alwaysAbove = false;
    bool alwaysBelow = false;
};

inline QString readText(const QString &relative)
{
    QFile file(testDataPath(relative));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

inline QJsonObject readJson(const QString &relative)
{
    QFile file(testDataPath(relative));
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(file.readAll()).object();
}

/// USNO and JPL data for 14 places and 13 dates.
inline const QJsonObject &fixtures()
{
    static const QJsonObject object = readJson(QStringLiteral("sun_moon/suncalc/fixtures.json"));
    return object;
}

inline QDateTime utcAt(const QDate &day, int hour, int minute)
{
    return QDateTime(day, QTime(hour, minute), QTimeZone::utc());
}

// A cell is "hhmm", blank, "****" or "----".
inline void readUsnoCell(const QString &cell, const QDate &day, QList<QDateTime> &events,
                         UsnoDay &entry)
{
    const QString text = cell.trimmed();
    if (text == QLatin1String("****"))
        entry.alwaysAbove = true;
    else if (text == QLatin1String("----"))
        entry.alwaysBelow = true;
    else if (text.size() == 4)
        events.append(utcAt(day, text.left(2).toInt(), text.mid(2).toInt()));
}

/// The table's days of `year`: each data line is a two-digit day, then per month a rise and a
/// set column of four characters (month m at columns 4 + 11 m and 9 + 11 m).
inline QMap<QDate, UsnoDay> readUsnoTable(const QString &relative, int year)
{
    QMap<QDate, UsnoDay> days;
    const QStringList lines = readText(relative).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.size() < 8 || !line.at(0).isDigit() || !line.at(1).isDigit()
            || line.at(2) != QLatin1Char(' '))
            continue;
        const int dayOfMonth = line.left(2).toInt();
        for (int month = 1; month <= 12; ++month) {
            const QDate day(year, month, dayOfMonth);
            if (!day.isValid())
                continue;
            const int riseColumn = 4 + 11 * (month - 1);
            UsnoDay &entry = days[day];
            readUsnoCell(line.mid(riseColumn, 4), day, entry.rises, entry);
            readUsnoCell(line.mid(riseColumn + 5, 4), day, entry.sets, entry);
        }
    }
    return days;
}

/// All events of one kind in a table, in time order.
inline QList<QDateTime> allEvents(const QMap<QDate, UsnoDay> &table, bool rises)
{
    QList<QDateTime> events;
    for (const UsnoDay &day : table)
        events.append(rises ? day.rises : day.sets);
    std::sort(events.begin(), events.end());
    return events;
}

/// Seconds from `instant` to the nearest of `candidates`; nullopt when there are none.
inline std::optional<qint64> nearestGap(const QDateTime &instant,
                                        const QList<QDateTime> &candidates)
{
    std::optional<qint64> best;
    for (const QDateTime &candidate : candidates) {
        const qint64 gap = std::llabs(candidate.secsTo(instant));
        if (!best || gap < *best)
            best = gap;
    }
    return best;
}

/// The one-day USNO records of fixtures.json: phenomenon name -> UTC instants on that day.
inline QMap<QString, QList<QDateTime>> fixtureEvents(const QJsonArray &records, const QDate &day)
{
    QMap<QString, QList<QDateTime>> events;
    for (const QJsonValue &value : records) {
        const QJsonObject record = value.toObject();
        const QString phen = record.value(QLatin1String("phen")).toString();
        const QString time = record.value(QLatin1String("time")).toString();
        if (time.size() == 5)
            events[phen].append(utcAt(day, time.left(2).toInt(), time.mid(3).toInt()));
        else
            events[phen];
    }
    return events;
}


// Calls `check` with every place-day of the matrix: the place in UTC (so the local date is the
// reference's UT day), the day and its USNO records of one kind ("sundata" or "moondata").
inline void forEachFixtureDay(const QString &records,
                              const std::function<void(const QString &name, const OVLocation &location,
                                                       const QDate &day,
                                                       const QMap<QString, QList<QDateTime>> &events)> &check)
{
    const QJsonObject times = fixtures().value(QLatin1String("times")).toObject();
    const QJsonArray places = fixtures().value(QLatin1String("locations")).toArray();
    ASSERT_EQ(places.size(), 14);
    for (const QJsonValue &entry : places) {
        const QJsonObject where = entry.toObject();
        const QString name = where.value(QLatin1String("name")).toString();
        const auto location = place(where.value(QLatin1String("lat")).toDouble(),
                                    where.value(QLatin1String("lng")).toDouble(), "UTC");
        const QJsonObject days = times.value(name).toObject();
        for (auto it = days.begin(); it != days.end(); ++it) {
            SCOPED_TRACE((name + QLatin1Char(' ') + it.key()).toStdString());
            const QDate day = QDate::fromString(it.key(), Qt::ISODate);
            check(name, *location, day,
                  fixtureEvents(it.value().toObject().value(records).toArray(), day));
        }
    }
}

} // namespace sunmoon
