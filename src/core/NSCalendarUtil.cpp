// The program's Gregorian calendars; see NSCalendarUtil.h.
#include "core/NSCalendarUtil.h"

#include "core/OVICUSupport.h"

#include <QTimeZone>

namespace NSCalendarUtil {

std::unique_ptr<icu::GregorianCalendar> gregorianCalendar()
{
    return OVICUSupport::newGregorianCalendar(QTimeZone::systemTimeZone());
}

std::unique_ptr<icu::GregorianCalendar> utcGregorianCalendar()
{
    return OVICUSupport::newGregorianCalendar(QTimeZone(0));
}

std::unique_ptr<icu::GregorianCalendar> systemGregorianCalendar()
{
    return OVICUSupport::newGregorianCalendar(QTimeZone::systemTimeZone());
}

} // namespace NSCalendarUtil
