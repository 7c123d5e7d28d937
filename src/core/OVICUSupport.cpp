// Bridges between Qt and ICU date types; see OVICUSupport.h.
#include "core/OVICUSupport.h"

#include <QLocale>

#include <unicode/dtfmtsym.h>
#include <unicode/simpletz.h>
#include <unicode/ucal.h>

#include <cmath>
#include <limits>

namespace OVICUSupport {

icu::UnicodeString toICU(const QString &text)
{
    return icu::UnicodeString(reinterpret_cast<const UChar *>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

QString fromICU(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

UDate toUDate(const QDateTime &date)
{
    return static_cast<UDate>(date.toMSecsSinceEpoch());
}

QDateTime fromUDate(UDate date)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::floor(date)), Qt::UTC);
}

QTimeZone zoneOrSystem(const QTimeZone &zone)
{
    return zone.isValid() ? zone : QTimeZone::systemTimeZone();
}

std::unique_ptr<icu::TimeZone> newTimeZone(const QTimeZone &zone)
{
    const QTimeZone qZone = zoneOrSystem(zone);
    std::unique_ptr<icu::TimeZone> icuZone(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(qZone.id().constData())));
    icu::UnicodeString id;
    icuZone->getID(id);
    if (id == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID)) {
        // Qt's fixed-offset zones ("UTC+05:30") have no IANA id: give ICU the offset itself.
        const int offsetSeconds = qZone.offsetFromUtc(QDateTime::currentDateTimeUtc());
        icuZone = std::make_unique<icu::SimpleTimeZone>(offsetSeconds * 1000,
                                                        toICU(QString::fromUtf8(qZone.id())));
    }
    return icuZone;
}

std::unique_ptr<icu::GregorianCalendar> newGregorianCalendar(const QTimeZone &zone)
{
    UErrorCode status = U_ZERO_ERROR;
    auto calendar = std::make_unique<icu::GregorianCalendar>(newTimeZone(zone).release(),
                                                             icu::Locale("en_US_POSIX"), status);
    calendar->setLenient(true);
    calendar->setGregorianChange(-std::numeric_limits<double>::max(), status);
    return calendar;
}

QStringList localeNames(NameKind kind)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols symbols(icu::Locale(QLocale().name().toUtf8().constData()), status);
    if (U_FAILURE(status))
        return {};
    int32_t count = 0;
    const icu::UnicodeString *names = nullptr;
    int32_t first = 0; // ICU's weekday arrays start at index 1 = Sunday
    switch (kind) {
    case NameKind::Weekdays:
        names = symbols.getWeekdays(count);
        first = UCAL_SUNDAY;
        break;
    case NameKind::ShortWeekdays:
        names = symbols.getShortWeekdays(count);
        first = UCAL_SUNDAY;
        break;
    case NameKind::Months:
        names = symbols.getMonths(count);
        break;
    case NameKind::ShortMonths:
        names = symbols.getShortMonths(count);
        break;
    }
    QStringList list;
    for (int32_t i = first; i < count; ++i)
        list.append(fromICU(names[i]));
    return list;
}

icu::GregorianCalendar &threadCalendar(const QTimeZone &zone)
{
    thread_local std::unique_ptr<icu::GregorianCalendar> calendar;
    thread_local QByteArray calendarZoneId;
    const QTimeZone wanted = zoneOrSystem(zone);
    if (!calendar) {
        calendar = newGregorianCalendar(wanted);
        calendarZoneId = wanted.id();
    } else if (calendarZoneId != wanted.id()) {
        calendar->adoptTimeZone(newTimeZone(wanted).release());
        calendarZoneId = wanted.id();
    }
    // The analyzer treats a thread_local unique_ptr as destroyed at function exit.
    return *calendar; // NOLINT(clang-analyzer-cplusplus.NewDelete)
}

} // namespace OVICUSupport
