#include "weather/OVNDFDDateParser.h"

#include "core/OVICUSupport.h"
#include "platform/OVLog.h"

#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

OVNDFDDateParser::OVNDFDDateParser(Caching caching)
    : mCaching(caching)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale posix("en_US_POSIX");
    auto formatter = std::make_unique<icu::SimpleDateFormat>(
        icu::UnicodeString(u"yyyy-MM-dd'T'HH:mm:ssZ"), posix, status);
    if (U_FAILURE(status)) {
        OVLog(QStringLiteral("[OVNDFDDateParser init] Cannot make the time-text formatter: %1")
                  .arg(QString::fromLatin1(u_errorName(status))));
        return;
    }
    auto calendar = std::make_unique<icu::GregorianCalendar>(
        icu::TimeZone::getGMT()->clone(), posix, status);
    if (U_SUCCESS(status)) {
        calendar->setLenient(false);
        formatter->adoptCalendar(calendar.release());
    }
    formatter->setLenient(false);
    mFormatter = std::move(formatter);
}

OVNDFDDateParser::~OVNDFDDateParser() = default;

QDateTime OVNDFDDateParser::dateForNDFDString(const QString &text)
{
    if (mCaching == Caching::On) {
        const auto cached = mCache.constFind(text);
        if (cached != mCache.constEnd())
            return *cached;
    }
    const QDateTime date = parse(text);
    if (date.isValid() && mCaching == Caching::On)
        mCache.insert(text, date);
    return date;
}

QDateTime OVNDFDDateParser::parse(const QString &text) const
{
    if (!mFormatter)
        return {};
    QString normalized = text;
    // The formatter's offset field reads -0500; the service writes -05:00.
    if (normalized.size() > 3 && normalized.at(normalized.size() - 3) == QLatin1Char(':'))
        normalized.remove(normalized.size() - 3, 1);
    const icu::UnicodeString source = OVICUSupport::toICU(normalized);
    icu::ParsePosition position(0);
    const UDate parsed = mFormatter->parse(source, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != source.length())
        return {};
    return OVICUSupport::fromUDate(parsed);
}
