// Date helpers for an arbitrary time zone; see NSDateUtil.h. Bounds are built from calendar
// components in the zone (never by subtracting elapsed seconds), so they stay on midnight across
// daylight-saving changes.
#include "core/NSDateUtil.h"

#include "core/OVICUSupport.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"

#include <unicode/basictz.h>
#include <unicode/smpdtfmt.h>
#include <unicode/tzrule.h>
#include <unicode/tztrans.h>

namespace {

constexpr qint64 SecondsPerDay = 86400;
// How far either side of a date a daylight-saving change makes day names use calendar days.
constexpr qint64 DaylightChangeWindowSeconds = 172800;

struct Components
{
    int year, month, day, hour, minute, second, weekday; // month 1..12, weekday 1 = Sunday
};

Components componentsOf(const QDateTime &date, const QTimeZone &zone)
{
    icu::GregorianCalendar &calendar = OVICUSupport::threadCalendar(zone);
    UErrorCode status = U_ZERO_ERROR;
    calendar.setTime(OVICUSupport::toUDate(date), status);
    return {calendar.get(UCAL_EXTENDED_YEAR, status), calendar.get(UCAL_MONTH, status) + 1,
            calendar.get(UCAL_DATE, status),          calendar.get(UCAL_HOUR_OF_DAY, status),
            calendar.get(UCAL_MINUTE, status),        calendar.get(UCAL_SECOND, status),
            calendar.get(UCAL_DAY_OF_WEEK, status)};
}

// Seconds between two instants, fractions included.
double secondsBetween(const QDateTime &from, const QDateTime &to)
{
    return static_cast<double>(to.toMSecsSinceEpoch() - from.toMSecsSinceEpoch()) / 1000.0;
}

// True when the zone changes its daylight-saving state within the window around the date.
bool daylightChangeNear(const QDateTime &date, const QTimeZone &zone)
{
    const std::unique_ptr<icu::TimeZone> icuZone = OVICUSupport::newTimeZone(zone);
    const auto *basicZone = dynamic_cast<const icu::BasicTimeZone *>(icuZone.get());
    if (!basicZone)
        return false;
    const UDate windowEnd =
        OVICUSupport::toUDate(date.addSecs(DaylightChangeWindowSeconds));
    UDate from = OVICUSupport::toUDate(date.addSecs(-DaylightChangeWindowSeconds));
    icu::TimeZoneTransition transition;
    while (basicZone->getNextTransition(from, false, transition)
           && transition.getTime() <= windowEnd) {
        if (transition.getFrom()->getDSTSavings() != transition.getTo()->getDSTSavings())
            return true;
        from = transition.getTime();
    }
    return false;
}

} // namespace

namespace NSDateUtil {

QDateTime dateForYear(int year, int month, int day, int hour, int minute, int second,
                      const QTimeZone &zone)
{
    icu::GregorianCalendar &calendar = OVICUSupport::threadCalendar(zone);
    UErrorCode status = U_ZERO_ERROR;
    calendar.clear();
    calendar.set(UCAL_EXTENDED_YEAR, year);
    calendar.set(UCAL_MONTH, month - 1);
    calendar.set(UCAL_DATE, day);
    calendar.set(UCAL_HOUR_OF_DAY, hour);
    calendar.set(UCAL_MINUTE, minute);
    calendar.set(UCAL_SECOND, second);
    const UDate result = calendar.getTime(status);
    return U_SUCCESS(status) ? OVICUSupport::fromUDate(result) : QDateTime();
}

QDateTime dateByAddingYears(const QDateTime &date, int64_t years, int64_t months, int64_t days,
                            int64_t hours, int64_t minutes, int64_t seconds, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    icu::GregorianCalendar &calendar = OVICUSupport::threadCalendar(zone);
    UErrorCode status = U_ZERO_ERROR;
    calendar.setTime(OVICUSupport::toUDate(date), status);
    const std::pair<UCalendarDateFields, int64_t> steps[] = {
        {UCAL_YEAR, years},   {UCAL_MONTH, months},   {UCAL_DATE, days},
        {UCAL_HOUR, hours}, {UCAL_MINUTE, minutes}, {UCAL_SECOND, seconds}};
    for (const auto &[field, amount] : steps) {
        if (amount != 0)
            calendar.add(field, static_cast<int32_t>(amount), status);
    }
    const UDate result = calendar.getTime(status);
    return U_SUCCESS(status) ? OVICUSupport::fromUDate(result) : QDateTime();
}

QDateTime beginningOfDayInTimeZone(const QDateTime &date, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    const Components c = componentsOf(date, zone);
    return dateForYear(c.year, c.month, c.day, 0, 0, 0, zone);
}

QDateTime endOfDayInTimeZone(const QDateTime &date, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    const Components c = componentsOf(date, zone);
    return dateForYear(c.year, c.month, c.day, 23, 59, 59, zone);
}

QDateTime beginningOfWeekInTimeZone(const QDateTime &date, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    const Components c = componentsOf(date, zone);
    return dateForYear(c.year, c.month, c.day - (c.weekday - UCAL_SUNDAY), 0, 0, 0, zone);
}

QDateTime endOfWeekInTimeZone(const QDateTime &date, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    const Components c = componentsOf(date, zone);
    return dateForYear(c.year, c.month, c.day + (UCAL_SATURDAY - c.weekday), 23, 59, 59, zone);
}

QDateTime beginningOfMonthInTimeZone(const QDateTime &date, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    const Components c = componentsOf(date, zone);
    return dateForYear(c.year, c.month, 1, 0, 0, 0, zone);
}

QDateTime endOfMonthInTimeZone(const QDateTime &date, const QTimeZone &zone)
{
    return dateByAddingYears(beginningOfMonthInTimeZone(date, zone), 0, 1, 0, 0, 0, -1, zone);
}

QDateTime beginningOfYearInTimeZone(const QDateTime &date, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    const Components c = componentsOf(date, zone);
    return dateForYear(c.year, 1, 1, 0, 0, 0, zone);
}

QDateTime endOfYearInTimeZone(const QDateTime &date, const QTimeZone &zone)
{
    return dateByAddingYears(beginningOfYearInTimeZone(date, zone), 1, 0, 0, 0, 0, -1, zone);
}

QString stringValueWithFormat(const QDateTime &date, const QString &format, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    thread_local std::unique_ptr<icu::SimpleDateFormat> formatter;
    UErrorCode status = U_ZERO_ERROR;
    if (!formatter) {
        formatter = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(), icu::Locale("en_US_POSIX"), status);
        formatter->adoptCalendar(OVICUSupport::newGregorianCalendar(QTimeZone(0)).release());
    }
    formatter->applyPattern(OVICUSupport::toICU(format));
    formatter->adoptTimeZone(OVICUSupport::newTimeZone(zone).release());
    icu::UnicodeString text;
    formatter->format(OVICUSupport::toUDate(date), text);
    return OVICUSupport::fromICU(text);
}

QDateTime convertFromTimeZone(const QDateTime &date, const QTimeZone &from, const QTimeZone &to)
{
    if (!date.isValid())
        return {};
    return date.addSecs(OVICUSupport::zoneOrSystem(from).offsetFromUtc(date)
                        - OVICUSupport::zoneOrSystem(to).offsetFromUtc(date));
}

QDateTime convertFromLocalToTimeZone(const QDateTime &date, const QTimeZone &zone)
{
    return convertFromTimeZone(date, QTimeZone::systemTimeZone(), zone);
}

QDateTime middleDateBetweenDate(const QDateTime &first, const QDateTime &second)
{
    if (!first.isValid() || !second.isValid())
        return {};
    const qint64 firstMs = first.toMSecsSinceEpoch();
    return QDateTime::fromMSecsSinceEpoch(firstMs + (second.toMSecsSinceEpoch() - firstMs) / 2,
                                          Qt::UTC);
}

bool isBetweenStartDate(const QDateTime &date, const QDateTime &start, const QDateTime &end)
{
    if (!start.isValid()) {
        OVDebugLog("[NSDateUtil isBetweenStartDate] Error:  Start date is nil.");
        return false;
    }
    if (!end.isValid()) {
        OVDebugLog("[NSDateUtil isBetweenStartDate] Error:  End date is nil.");
        return false;
    }
    return date.isValid() && start <= date && date <= end;
}

bool rangeWithTimeInterval(const QDateTime &date, double intervalSeconds, const QDateTime &start,
                           const QDateTime &end)
{
    if (!start.isValid()) {
        OVDebugLog("[NSDateUtil rangeWithTimeInterval] Error:  Start date is nil.");
        return false;
    }
    if (!end.isValid()) {
        OVDebugLog("[NSDateUtil rangeWithTimeInterval] Error:  End date is nil.");
        return false;
    }
    if (!date.isValid())
        return false;
    if (start <= date && date < end)
        return true;
    const double rangeEnd = secondsBetween(start, date) + intervalSeconds; // relative to start
    return 0 < rangeEnd && rangeEnd <= secondsBetween(start, end);
}

bool rangeWithEndDate(const QDateTime &date, const QDateTime &rangeEnd, const QDateTime &start,
                      const QDateTime &end)
{
    if (!rangeEnd.isValid()) {
        OVDebugLog("[NSDateUtil rangeWithEndDate] Error:  End range is nil.");
        return false;
    }
    if (!start.isValid()) {
        OVDebugLog("[NSDateUtil rangeWithEndDate] Error:  Start date is nil.");
        return false;
    }
    if (!end.isValid()) {
        OVDebugLog("[NSDateUtil rangeWithEndDate] Error:  End date is nil.");
        return false;
    }
    if (!date.isValid())
        return false;
    return rangeWithTimeInterval(date, secondsBetween(date, rangeEnd), start, end);
}

double overlappingIntervalBetweenRangeAStart(const QDateTime &aStart, const QDateTime &aEnd,
                                             const QDateTime &bStart, const QDateTime &bEnd)
{
    static const QString prefix = QStringLiteral("[NSDateUtil overlapIntervalBetweenRangeAStart] Error:  ");
    const std::pair<const QDateTime &, const char *> required[] = {
        {aStart, "Start date for range A is nil."},
        {aEnd, "End date for range A is nil."},
        {bStart, "Start date for range B is nil."},
        {bEnd, "End date for range B is nil."}};
    for (const auto &[date, message] : required) {
        if (!date.isValid()) {
            OVDebugLog(prefix + QLatin1String(message));
            return 0;
        }
    }
    if (aStart > aEnd) {
        OVDebugLog(prefix + QLatin1String("Range A has an end date before its start date."));
        return 0;
    }
    if (bStart > bEnd) {
        OVDebugLog(prefix + QLatin1String("Range B has an end date before its start date."));
        return 0;
    }
    if (aStart >= bStart && aEnd <= bEnd)
        return secondsBetween(aStart, aEnd);
    if (aStart <= bStart && aEnd >= bEnd)
        return secondsBetween(bStart, bEnd);
    if (bStart < aEnd && aEnd <= bEnd)
        return secondsBetween(bStart, aEnd);
    if (bStart <= aStart && aStart < bEnd)
        return secondsBetween(aStart, bEnd);
    return 0;
}

QString dayStringInTimeZone(const QDateTime &date, const QTimeZone &zone, const OVClock &clock)
{
    if (!date.isValid())
        return {};
    const QDateTime today = beginningOfDayInTimeZone(clock.now(), zone);
    QDateTime tomorrow, yesterday, tomorrowEnd;
    if (daylightChangeNear(date, zone)) {
        // Days of 23 or 25 hours: step by calendar days in the zone itself.
        tomorrow = dateByAddingYears(today, 0, 0, 1, 0, 0, 0, zone);
        yesterday = dateByAddingYears(today, 0, 0, -1, 0, 0, 0, zone);
        tomorrowEnd = dateByAddingYears(tomorrow, 0, 0, 1, 0, 0, -1, zone);
    } else {
        tomorrow = today.addSecs(SecondsPerDay);
        yesterday = today.addSecs(-SecondsPerDay);
        tomorrowEnd = tomorrow.addSecs(SecondsPerDay - 1);
    }
    if (today <= date && date < tomorrow)
        return OVLocalizedString("Today");
    if (yesterday <= date && date <= today)
        return OVLocalizedString("Yesterday");
    if (tomorrow <= date && date <= tomorrowEnd)
        return OVLocalizedString("Tomorrow");
    return sharedWeekdaySymbols().value(componentsOf(date, zone).weekday - 1);
}

QString shortDayStringInTimeZone(const QDateTime &date, const QTimeZone &zone, const OVClock &clock)
{
    if (!date.isValid())
        return {};
    const QDateTime today = beginningOfDayInTimeZone(clock.now(), zone);
    const QDateTime tomorrow = dateByAddingYears(today, 0, 0, 1, 0, 0, 0, zone);
    if (today <= date && date < tomorrow)
        return OVLocalizedString("Now");
    return sharedShortWeekdaySymbols().value(componentsOf(date, zone).weekday - 1);
}

const QStringList &sharedWeekdaySymbols()
{
    static const QStringList symbols = OVICUSupport::localeNames(OVICUSupport::NameKind::Weekdays);
    return symbols;
}

const QStringList &sharedShortWeekdaySymbols()
{
    static const QStringList symbols = OVICUSupport::localeNames(OVICUSupport::NameKind::ShortWeekdays);
    return symbols;
}

} // namespace NSDateUtil
