// The shared date, time and combined formatters; see OVDateFormattingTool.h.
#include "core/OVDateFormattingTool.h"

#include "core/NSCalendarUtil.h"
#include "core/OVICUSupport.h"

#include <QLocale>

#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>

namespace {

icu::Locale currentLocale()
{
    return icu::Locale(QLocale().name().toUtf8().constData());
}

} // namespace

OVDateFormattingTool &OVDateFormattingTool::sharedFormattingTool()
{
    static OVDateFormattingTool tool;
    return tool;
}

OVDateFormattingTool::OVDateFormattingTool()
    : mGregorianCalendar(NSCalendarUtil::gregorianCalendar())
{
    const icu::Locale locale = currentLocale();
    const auto withCalendar = [this](icu::DateFormat *formatter) {
        formatter->setCalendar(*mGregorianCalendar);
        return std::unique_ptr<icu::DateFormat>(formatter);
    };
    mDateFormatter = withCalendar(
        icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
    mTimeFormatter = withCalendar(
        icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale));
    mCombinedFormatter = withCalendar(icu::DateFormat::createDateTimeInstance(
        icu::DateFormat::kShort, icu::DateFormat::kShort, locale));

    // Month and day in the locale's own order ("3/10" in en_US, "10.3." in de_DE).
    mDateFormatterNoYear.reset(mDateFormatter->clone());
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    auto *noYear = dynamic_cast<icu::SimpleDateFormat *>(mDateFormatterNoYear.get());
    if (U_SUCCESS(status) && noYear)
        noYear->applyPattern(generator->getBestPattern(icu::UnicodeString("Md"), status));
}

OVDateFormattingTool::~OVDateFormattingTool() = default;

QString OVDateFormattingTool::format(icu::DateFormat &formatter, const QDateTime &date,
                                     const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    formatter.adoptTimeZone(OVICUSupport::newTimeZone(zone).release());
    icu::UnicodeString text;
    formatter.format(OVICUSupport::toUDate(date), text);
    return OVICUSupport::fromICU(text);
}

QString OVDateFormattingTool::noYearCombined(const QDateTime &date, const QTimeZone &zone)
{
    return QStringLiteral("%1 %2").arg(format(*mDateFormatterNoYear, date, zone),
                                       format(*mTimeFormatter, date, zone));
}

QString OVDateFormattingTool::timeStringFromDate(const QDateTime &date, const QTimeZone &zone)
{
    return format(*mTimeFormatter, date, zone);
}

QString OVDateFormattingTool::dateStringFromDate(const QDateTime &date, const QTimeZone &zone)
{
    return format(*mDateFormatter, date, zone);
}

QString OVDateFormattingTool::combinedStringFromDate(const QDateTime &date, const QTimeZone &zone,
                                                     bool omitYear)
{
    if (!date.isValid())
        return {};
    return omitYear ? noYearCombined(date, zone) : format(*mCombinedFormatter, date, zone);
}

QString OVDateFormattingTool::combinedStringFromStartDate(const QDateTime &start,
                                                          const QDateTime &end,
                                                          const QTimeZone &zone, bool omitYear)
{
    if (!start.isValid() || !end.isValid())
        return {};
    // Whether both fall on one day is decided in the zone the texts are shown in.
    mGregorianCalendar->adoptTimeZone(OVICUSupport::newTimeZone(zone).release());
    UErrorCode status = U_ZERO_ERROR;
    const auto dayOf = [&](const QDateTime &date) {
        mGregorianCalendar->setTime(OVICUSupport::toUDate(date), status);
        return std::tuple(mGregorianCalendar->get(UCAL_EXTENDED_YEAR, status),
                          mGregorianCalendar->get(UCAL_MONTH, status),
                          mGregorianCalendar->get(UCAL_DATE, status));
    };
    const bool sameDay = dayOf(start) == dayOf(end);
    const QString startText = omitYear ? noYearCombined(start, zone)
                                       : format(*mCombinedFormatter, start, zone);
    QString endText;
    if (sameDay)
        endText = format(*mTimeFormatter, end, zone);
    else
        endText = omitYear ? noYearCombined(end, zone) : format(*mCombinedFormatter, end, zone);
    return QStringLiteral("%1 - %2").arg(startText, endText);
}

int OVDateFormattingTool::weekdayIndex(const QDateTime &date, const QTimeZone &zone)
{
    auto calendar = NSCalendarUtil::gregorianCalendar();
    calendar->adoptTimeZone(OVICUSupport::newTimeZone(zone).release());
    UErrorCode status = U_ZERO_ERROR;
    calendar->setTime(OVICUSupport::toUDate(date), status);
    return calendar->get(UCAL_DAY_OF_WEEK, status) - UCAL_SUNDAY;
}

QString OVDateFormattingTool::weekdayFromDate(const QDateTime &date, const QTimeZone &zone)
{
    return date.isValid() ? weekdaySymbols().value(weekdayIndex(date, zone)) : QString();
}

QString OVDateFormattingTool::shortWeekdayFromDate(const QDateTime &date, const QTimeZone &zone)
{
    return date.isValid() ? shortWeekdaySymbols().value(weekdayIndex(date, zone)) : QString();
}

QStringList OVDateFormattingTool::weekdaySymbols() const
{
    return OVICUSupport::localeNames(OVICUSupport::NameKind::Weekdays);
}

QStringList OVDateFormattingTool::shortWeekdaySymbols() const
{
    return OVICUSupport::localeNames(OVICUSupport::NameKind::ShortWeekdays);
}

QStringList OVDateFormattingTool::monthSymbols() const
{
    return OVICUSupport::localeNames(OVICUSupport::NameKind::Months);
}

QStringList OVDateFormattingTool::shortMonthSymbols() const
{
    return OVICUSupport::localeNames(OVICUSupport::NameKind::ShortMonths);
}
