#include "gribfilter/ModelRun.h"

#include "core/OVICUSupport.h"

#include <QHash>

#include <unicode/locid.h>
#include <unicode/parsepos.h>
#include <unicode/smpdtfmt.h>

#include <memory>

namespace {

// One formatter for every run, made on first use. Its settings never change afterwards, and
// ICU allows concurrent calls of a formatter's const operations, so parsing needs no lock.
// en_US_POSIX and an explicit Gregorian calendar keep the user's locale and calendar out of
// reading the digits; a strict (not lenient) parse rejects days such as 30 February.
const icu::SimpleDateFormat *runDateFormatter()
{
    static const std::unique_ptr<icu::SimpleDateFormat> formatter = [] {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Locale posix("en_US_POSIX");
        auto format = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(u"yyyyMMddHHmm"), posix, status);
        if (U_FAILURE(status))
            return std::unique_ptr<icu::SimpleDateFormat>();
        const QTimeZone utc = QTimeZone::utc();
        auto calendar = OVICUSupport::newGregorianCalendar(utc);
        calendar->setLenient(false);
        format->adoptCalendar(calendar.release());
        format->setLenient(false);
        return format;
    }();
    return formatter.get();
}

bool isEightDigits(const QString &text)
{
    if (text.size() != 8)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

QString ModelRun::runDateText() const
{
    return date + ModelNumberText::zeroPadded(hour, 2) + QStringLiteral("00");
}

std::optional<QDateTime> ModelRun::runDate() const
{
    // Adjacent numeric fields let the parser take a short date ("2024031" + "1200") as another
    // valid instant, so the shape of the date is checked before parsing.
    const icu::SimpleDateFormat *formatter = runDateFormatter();
    if (!formatter || !isEightDigits(date))
        return std::nullopt;
    const QString text = runDateText();
    const icu::UnicodeString icuText = OVICUSupport::toICU(text);
    icu::ParsePosition position(0);
    const UDate parsed = formatter->parse(icuText, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != icuText.length())
        return std::nullopt;
    return OVICUSupport::fromUDate(parsed);
}

std::optional<QDateTime> ModelRun::validDateForForecastHour(int forecastHour) const
{
    const std::optional<QDateTime> start = runDate();
    if (!start)
        return std::nullopt;
    return start->addSecs(qint64(forecastHour) * 3600);
}

size_t std::hash<ModelRun>::operator()(const ModelRun &run) const noexcept
{
    return qHashMulti(0, run.configuration.name, run.date, run.hour);
}

size_t std::hash<ForecastHour>::operator()(const ForecastHour &hour) const noexcept
{
    return qHashMulti(0, hour.hour, hour.fileName);
}
