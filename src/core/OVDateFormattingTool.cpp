// The shared date, time and combined formatters; see OVDateFormattingTool.h.
#include "core/OVDateFormattingTool.h"

#include "core/NSCalendarUtil.h"
#include "core/OVICUSupport.h"

#include <QLocale>

#include <unicode/dtfmtsym.h>
#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>

namespace {

icu::Locale currentLocale()
{
    return icu::Locale(QLocale().name().toUtf8().constData());
}

QStringList symbolList(const icu::UnicodeString *names, int32_t count, int32_t first)
{
    QStringList list;
    for (int32_t i = first; i < count; ++i)
        list.append(OVICUSupport::fromICU(names[i]));
    return list;
}

const icu::DateFormatSymbols *symbolsOf(const icu::DateFormat &formatter)
{
    const auto *simple = dynamic_cast<const icu::SimpleDateFormat *>(&formatter);
    return simple ? simple->getDateFormatSymbols() : nullptr;
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

QString OVDateFormattingTool::weekdayFromDate(const QDateTime &date, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    auto calendar = NSCalendarUtil::gregorianCalendar();
    calendar->adoptTimeZone(OVICUSupport::newTimeZone(zone).release());
    UErrorCode status = U_ZERO_ERROR;
    calendar->setTime(OVICUSupport::toUDate(date), status);
    return weekdaySymbols().value(calendar->get(UCAL_DAY_OF_WEEK, status) - UCAL_SUNDAY);
}

QString OVDateFormattingTool::shortWeekdayFromDate(const QDateTime &date, const QTimeZone &zone)
{
    if (!date.isValid())
        return {};
    auto calendar = NSCalendarUtil::gregorianCalendar();
    calendar->adoptTimeZone(OVICUSupport::newTimeZone(zone).release());
    UErrorCode status = U_ZERO_ERROR;
    calendar->setTime(OVICUSupport::toUDate(date), status);
    return shortWeekdaySymbols().value(calendar->get(UCAL_DAY_OF_WEEK, status) - UCAL_SUNDAY);
}

QStringList OVDateFormattingTool::weekdaySymbols() const
{
    int32_t count = 0;
    const auto *symbols = symbolsOf(*mDateFormatter);
    return symbols ? symbolList(symbols->getWeekdays(count), count, UCAL_SUNDAY) : QStringList();
}

QStringList OVDateFormattingTool::shortWeekdaySymbols() const
{
    int32_t count = 0;
    const auto *symbols = symbolsOf(*mDateFormatter);
    return symbols ? symbolList(symbols->getShortWeekdays(count), count, UCAL_SUNDAY) : QStringList();
}

QStringList OVDateFormattingTool::monthSymbols() const
{
    int32_t count = 0;
    const auto *symbols = symbolsOf(*mDateFormatter);
    return symbols ? symbolList(symbols->getMonths(count), count, 0) : QStringList();
}

QStringList OVDateFormattingTool::shortMonthSymbols() const
{
    int32_t count = 0;
    const auto *symbols = symbolsOf(*mDateFormatter);
    return symbols ? symbolList(symbols->getShortMonths(count), count, 0) : QStringList();
}
