// The program's Gregorian calendars: ICU calendars that are purely Gregorian (no Julian rule) and
// lenient (day 30 of February is 1 March). ICU calendars are not thread-safe, so each call hands
// out a new calendar the caller owns and may change freely.
#pragma once

#include <unicode/gregocal.h>

#include <memory>

namespace NSCalendarUtil {

/// A new Gregorian calendar in the process's default time zone.
std::unique_ptr<icu::GregorianCalendar> gregorianCalendar();
/// A new Gregorian calendar at offset 0 from GMT.
std::unique_ptr<icu::GregorianCalendar> utcGregorianCalendar();
/// A new Gregorian calendar in the system time zone.
std::unique_ptr<icu::GregorianCalendar> systemGregorianCalendar();

} // namespace NSCalendarUtil
