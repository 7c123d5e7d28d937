// The text forms every table stores: a date as 14 UTC digits "yyyyMMddHHmmss" and a zone offset
// as the integer HHMMSS. dateForString() runs for every row read from a station history, so
// well-formed texts are read by digit arithmetic and the last 1500 results are remembered; only
// other texts reach the (slow, strict) ICU formatter.
#include "core/OVSQLite3DB.h"

#include "core/OVICUSupport.h"

#include <QCache>

#include <unicode/smpdtfmt.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

constexpr int DateTextCacheSize = 1500;

// Days from 1970-01-01 to year-month-day of the proleptic Gregorian calendar. Any day number is
// accepted and counts on from the first of the month, so day 30 of February is 1 March.
qint64 daysFromCivil(qint64 year, qint64 month, qint64 day)
{
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + (day - 1);
}

// Reads a well-formed 14-digit text with fields in range; nullopt sends the text to the formatter.
std::optional<QDateTime> digitDate(const QString &text)
{
    if (text.size() != 14)
        return std::nullopt;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const auto field = [&](int from, int length) { return QStringView(text).mid(from, length).toInt(); };
    const int year = field(0, 4), month = field(4, 2), day = field(6, 2);
    const int hour = field(8, 2), minute = field(10, 2), second = field(12, 2);
    if (year < 1901 || year > 2099 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23
        || minute > 59 || second > 59)
        return std::nullopt;
    const qint64 seconds = daysFromCivil(year, month, 1) * 86400 + (day - 1) * 86400LL
                           + hour * 3600 + minute * 60 + second;
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

// The strict GMT formatter for texts the digit reader does not take.
class FallbackFormatter
{
public:
    FallbackFormatter()
    {
        UErrorCode status = U_ZERO_ERROR;
        mFormat = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString("yyyyMMddHHmmss"),
                                                          icu::Locale("en_US_POSIX"), status);
        if (U_FAILURE(status)) {
            mFormat.reset();
            return;
        }
        mFormat->adoptCalendar(OVICUSupport::newGregorianCalendar(QTimeZone(0)).release());
        mFormat->setTimeZone(*icu::TimeZone::getGMT());
        mFormat->setLenient(false);
    }

    QDateTime parse(const QString &text)
    {
        std::lock_guard lock(mMutex);
        if (!mFormat)
            return {};
        const icu::UnicodeString source = OVICUSupport::toICU(text);
        icu::ParsePosition position(0);
        const UDate date = mFormat->parse(source, position);
        if (source.isEmpty() || position.getErrorIndex() >= 0 || position.getIndex() != source.length())
            return {};
        return OVICUSupport::fromUDate(date);
    }

private:
    std::mutex mMutex;
    std::unique_ptr<icu::SimpleDateFormat> mFormat;
};

FallbackFormatter &fallbackFormatter()
{
    static FallbackFormatter formatter;
    return formatter;
}

// The remembered results of dateForString, least recently used first out.
class DateTextCache
{
public:
    std::optional<QDateTime> find(const QString &text)
    {
        std::lock_guard lock(mMutex);
        if (const QDateTime *date = mCache.object(text))
            return *date;
        return std::nullopt;
    }
    void insert(const QString &text, const QDateTime &date)
    {
        std::lock_guard lock(mMutex);
        mCache.insert(text, new QDateTime(date));
    }

private:
    std::mutex mMutex;
    QCache<QString, QDateTime> mCache{DateTextCacheSize};
};

DateTextCache &dateTextCache()
{
    static DateTextCache cache;
    return cache;
}

} // namespace

QDateTime OVSQLite3DB::earliestStorableDate()
{
    return QDateTime(QDate(1900, 1, 1), QTime(0, 0), QTimeZone::utc());
}

QDateTime OVSQLite3DB::latestStorableDate()
{
    return QDateTime(QDate(2099, 12, 31), QTime(23, 59, 59, 999), QTimeZone::utc());
}

bool OVSQLite3DB::isStorableDate(const QDateTime &date)
{
    return date.isValid() && date >= earliestStorableDate() && date <= latestStorableDate();
}

QString OVSQLite3DB::stringForDate(const QDateTime &date)
{
    if (!isStorableDate(date))
        return QStringLiteral("0");
    const QDateTime utc = date.toUTC();
    const QDate day = utc.date();
    const QTime time = utc.time();
    char text[15];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", day.year(), day.month(), day.day(),
                  time.hour(), time.minute(), time.second());
    return QString::fromLatin1(text, 14);
}

QString OVSQLite3DB::stringForBound(const QDateTime &date)
{
    if (!date.isValid())
        return QStringLiteral("0");
    return stringForDate(std::clamp(date, earliestStorableDate(), latestStorableDate()));
}

QDateTime OVSQLite3DB::dateForString(const QString &text)
{
    if (const auto cached = dateTextCache().find(text))
        return *cached;
    std::optional<QDateTime> date = digitDate(text);
    if (!date)
        date = fallbackFormatter().parse(text);
    if (!isStorableDate(*date))
        return QDateTime();
    dateTextCache().insert(text, *date);
    return *date;
}

QDateTime OVSQLite3DB::exactDateForString(const QString &text)
{
    const QDateTime date = dateForString(text);
    return date.isValid() && stringForDate(date) == text ? date : QDateTime();
}

QString OVSQLite3DB::offsetStringForTimeZone(const QTimeZone &zone)
{
    const qint64 seconds = zone.offsetFromUtc(QDateTime::currentDateTimeUtc());
    const qint64 hours = static_cast<qint64>(std::floor(seconds / 3600.0));
    const qint64 rest = seconds - 3600 * hours;
    const qint64 minutes = rest / 60;
    const qint64 second = rest - 60 * minutes;
    return QString::number(hours * 10000 + minutes * 100 + second);
}
