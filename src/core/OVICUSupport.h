// Bridges between Qt's date and text types and ICU's, used by the date helpers and the SQLite
// layer's date text. Instants cross as UDate (milliseconds since 1970 UTC); zones cross by their
// IANA id, fixed-offset zones as an ICU zone of that offset. Every calendar made here is a
// lenient, purely Gregorian calendar (no Julian rule before 1582).
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <unicode/gregocal.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>

namespace OVICUSupport {

icu::UnicodeString toICU(const QString &text);
QString fromICU(const icu::UnicodeString &text);

UDate toUDate(const QDateTime &date);
QDateTime fromUDate(UDate date);

/// The zone given, or the system zone when `zone` is invalid.
QTimeZone zoneOrSystem(const QTimeZone &zone);

/// A new ICU zone for `zone` (the system zone when invalid).
std::unique_ptr<icu::TimeZone> newTimeZone(const QTimeZone &zone);

/// A new lenient, proleptic Gregorian calendar in `zone` (the system zone when invalid).
std::unique_ptr<icu::GregorianCalendar> newGregorianCalendar(const QTimeZone &zone);

/// Weekday names (Sunday first) or month names (January first) of the current locale.
enum class NameKind { Weekdays, ShortWeekdays, Months, ShortMonths };
QStringList localeNames(NameKind kind);

/// This thread's own calendar, set to `zone` (the system zone when invalid). ICU calendars are
/// not thread-safe; each thread keeps one and changes its zone only when asked for another.
icu::GregorianCalendar &threadCalendar(const QTimeZone &zone);

} // namespace OVICUSupport
