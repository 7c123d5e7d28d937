#include "opendap/OVOpenDAPText.h"

#include "core/OVICUSupport.h"

#include <unicode/gregocal.h>

namespace OVOpenDAPText {

QString defaultDateText(const QDateTime &date)
{
    return date.isValid() ? date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000")) : QString();
}

std::unique_ptr<icu::SimpleDateFormat> posixGMTFormat(const QString &pattern)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale posix("en_US_POSIX");
    auto formatter = std::make_unique<icu::SimpleDateFormat>(OVICUSupport::toICU(pattern), posix, status);
    if (U_FAILURE(status))
        return nullptr;
    auto calendar = std::make_unique<icu::GregorianCalendar>(icu::TimeZone::getGMT()->clone(), posix, status);
    if (U_FAILURE(status))
        return nullptr;
    formatter->adoptCalendar(calendar.release());
    formatter->setLenient(false);
    return formatter;
}

QDateTime parseWhole(const icu::SimpleDateFormat &format, const QString &text)
{
    const icu::UnicodeString subject = OVICUSupport::toICU(text);
    icu::ParsePosition position(0);
    const UDate date = format.parse(subject, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != subject.length())
        return QDateTime();
    return OVICUSupport::fromUDate(date);
}

QString format(const icu::SimpleDateFormat &format, const QDateTime &date)
{
    if (!date.isValid())
        return QString();
    icu::UnicodeString text;
    format.format(OVICUSupport::toUDate(date), text);
    return OVICUSupport::fromICU(text);
}

} // namespace OVOpenDAPText
