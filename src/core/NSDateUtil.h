// Date helpers for an arbitrary time zone: day, week, month and year bounds, calendar addition,
// construction from components, fixed-pattern texts, range tests and overlaps, and day names.
//
// Instants are QDateTime (an invalid QDateTime is "no date"); results are in UTC. A zone argument
// left invalid (the default) means the system time zone. Calendar work runs on a lenient, purely
// Gregorian ICU calendar per thread, so every function may be called from any thread.
#pragma once

#include "platform/OVClock.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <cstdint>

namespace NSDateUtil {

/// The date's day in the zone at 00:00:00 / 23:59:59.
QDateTime beginningOfDayInTimeZone(const QDateTime &date, const QTimeZone &zone = {});
QDateTime endOfDayInTimeZone(const QDateTime &date, const QTimeZone &zone = {});
/// The Sunday 00:00:00 / the Saturday 23:59:59 of the date's week in the zone.
QDateTime beginningOfWeekInTimeZone(const QDateTime &date, const QTimeZone &zone = {});
QDateTime endOfWeekInTimeZone(const QDateTime &date, const QTimeZone &zone = {});
/// Day 1 of the date's month at 00:00:00 / the month's last second.
QDateTime beginningOfMonthInTimeZone(const QDateTime &date, const QTimeZone &zone = {});
QDateTime endOfMonthInTimeZone(const QDateTime &date, const QTimeZone &zone = {});
/// 1 January of the date's year at 00:00:00 / the year's last second.
QDateTime beginningOfYearInTimeZone(const QDateTime &date, const QTimeZone &zone = {});
QDateTime endOfYearInTimeZone(const QDateTime &date, const QTimeZone &zone = {});

/// Calendar addition of all six components at once in the zone: years, months and days keep the
/// wall-clock time, hours, minutes and seconds add elapsed time.
QDateTime dateByAddingYears(const QDateTime &date, int64_t years, int64_t months, int64_t days,
                            int64_t hours, int64_t minutes, int64_t seconds,
                            const QTimeZone &zone = {});

/// The instant of these components in the zone; out-of-range components roll over (30 February
/// is 1 March, hour 24 is the next day's 00:00, hour -1 the previous day's 23:00).
QDateTime dateForYear(int year, int month, int day, int hour, int minute, int second,
                      const QTimeZone &zone = {});

/// The date formatted with an ICU pattern (locale en_US_POSIX) as wall-clock text in the zone.
QString stringValueWithFormat(const QDateTime &date, const QString &format,
                              const QTimeZone &zone = {});

/// The date moved by (offset of `from` - offset of `to`) seconds, both taken at the date.
QDateTime convertFromTimeZone(const QDateTime &date, const QTimeZone &from, const QTimeZone &to);
QDateTime convertFromLocalToTimeZone(const QDateTime &date, const QTimeZone &zone);

/// first + (second - first) / 2; no date when either is absent.
QDateTime middleDateBetweenDate(const QDateTime &first, const QDateTime &second);

/// start <= date <= end.
bool isBetweenStartDate(const QDateTime &date, const QDateTime &start, const QDateTime &end);
/// True when [date, date + interval] overlaps [start, end]: start <= date < end, or
/// start < date + interval <= end. A range enclosing [start, end] entirely gives false.
bool rangeWithTimeInterval(const QDateTime &date, double intervalSeconds, const QDateTime &start,
                           const QDateTime &end);
bool rangeWithEndDate(const QDateTime &date, const QDateTime &rangeEnd, const QDateTime &start,
                      const QDateTime &end);
/// Seconds that [aStart, aEnd] and [bStart, bEnd] share; 0 for a missing or reversed range.
double overlappingIntervalBetweenRangeAStart(const QDateTime &aStart, const QDateTime &aEnd,
                                             const QDateTime &bStart, const QDateTime &bEnd);

/// "Today", "Yesterday", "Tomorrow" (localized) or the full weekday name of the date in the zone,
/// today being taken from `clock`.
QString dayStringInTimeZone(const QDateTime &date, const QTimeZone &zone = {},
                            const OVClock &clock = OVClock::system());
/// "Now" (localized) for a date within today in the zone, else the short weekday name.
QString shortDayStringInTimeZone(const QDateTime &date, const QTimeZone &zone = {},
                                 const OVClock &clock = OVClock::system());

/// Full and short weekday names of the current locale, index 0 = Sunday.
const QStringList &sharedWeekdaySymbols();
const QStringList &sharedShortWeekdaySymbols();

} // namespace NSDateUtil
