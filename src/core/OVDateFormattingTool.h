// The shared formatters for the date, time and combined texts that views show: the current
// locale's short styles, and a month-and-day text without the year. Main thread only: each call
// sets the zone of the shared formatters.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <unicode/datefmt.h>
#include <unicode/gregocal.h>

#include <memory>

class OVDateFormattingTool
{
public:
    /// The one tool, made on first use.
    static OVDateFormattingTool &sharedFormattingTool();

    OVDateFormattingTool();
    ~OVDateFormattingTool();
    OVDateFormattingTool(const OVDateFormattingTool &) = delete;
    OVDateFormattingTool &operator=(const OVDateFormattingTool &) = delete;

    // An invalid zone means the system zone; an invalid date gives an empty text.
    QString timeStringFromDate(const QDateTime &date, const QTimeZone &zone = {});
    QString dateStringFromDate(const QDateTime &date, const QTimeZone &zone = {});
    /// Short date and time; with omitYear the month-and-day text and the time.
    QString combinedStringFromDate(const QDateTime &date, const QTimeZone &zone = {},
                                   bool omitYear = false);
    /// "start - end", the end without its date when both fall on the same day in the zone.
    QString combinedStringFromStartDate(const QDateTime &start, const QDateTime &end,
                                        const QTimeZone &zone = {}, bool omitYear = false);
    QString weekdayFromDate(const QDateTime &date, const QTimeZone &zone = {});
    QString shortWeekdayFromDate(const QDateTime &date, const QTimeZone &zone = {});

    /// Names of the current locale; weekdays start with Sunday, months with January.
    QStringList weekdaySymbols() const;
    QStringList shortWeekdaySymbols() const;
    QStringList monthSymbols() const;
    QStringList shortMonthSymbols() const;

    const icu::GregorianCalendar &gregorianCalendar() const { return *mGregorianCalendar; }
    const icu::DateFormat &dateFormatter() const { return *mDateFormatter; }
    const icu::DateFormat &dateFormatterNoYear() const { return *mDateFormatterNoYear; }
    const icu::DateFormat &timeFormatter() const { return *mTimeFormatter; }
    const icu::DateFormat &combinedFormatter() const { return *mCombinedFormatter; }

private:
    QString format(icu::DateFormat &formatter, const QDateTime &date, const QTimeZone &zone);
    QString noYearCombined(const QDateTime &date, const QTimeZone &zone);
    /// 0 = Sunday, read with a fresh calendar in the zone.
    static int weekdayIndex(const QDateTime &date, const QTimeZone &zone);

    std::unique_ptr<icu::GregorianCalendar> mGregorianCalendar;
    std::unique_ptr<icu::DateFormat> mDateFormatter;
    std::unique_ptr<icu::DateFormat> mDateFormatterNoYear;
    std::unique_ptr<icu::DateFormat> mTimeFormatter;
    std::unique_ptr<icu::DateFormat> mCombinedFormatter;
};
