// ICU formatting for the journal's header and table.
#include "app/journal/NBJournalDateText.h"

#include "core/OVICUSupport.h"

#include <unicode/datefmt.h>
#include <unicode/smpdtfmt.h>

#include <memory>

namespace NBJournalDateText {

QString monthHeader(int year, int month)
{
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString(u"MMMM y"), icu::Locale::getDefault(), status);
    if (U_FAILURE(status))
        return QStringLiteral("%1-%2").arg(year).arg(month, 2, 10, QLatin1Char('0'));
    format.adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString(u"UTC")));
    // The middle of the month names it in any calendar rule; only the month and year are shown.
    const QDateTime middle(QDate(year, month, 15), QTime(12, 0), Qt::UTC);
    icu::UnicodeString text;
    format.format(OVICUSupport::toUDate(middle), text);
    return OVICUSupport::fromICU(text);
}

QString mediumDateTime(const QDateTime &instant, const QTimeZone &zone)
{
    if (!instant.isValid())
        return {};
    std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium, icu::DateFormat::kMedium));
    if (!format)
        return instant.toString(Qt::ISODate);
    format->adoptTimeZone(OVICUSupport::newTimeZone(zone).release());
    icu::UnicodeString text;
    format->format(OVICUSupport::toUDate(instant), text);
    return OVICUSupport::fromICU(text);
}

} // namespace NBJournalDateText
