// The data rules the graph types share.
#include "graphs/NBGraphSeries.h"

#include "core/NSDateUtil.h"
#include "core/OVConstants.h"
#include "platform/OVLocalize.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVUnits.h"
#include "weather/OVWeatherConditions.h"

#include <QTimeZone>

#include <array>
#include <cmath>

namespace NBGraphSeries {

namespace {

// The hour of the day on the system's calendar, as observation hours are reported.
int clockHour(const QDateTime &date)
{
    return date.toTimeZone(QTimeZone::systemTimeZone()).time().hour();
}

} // namespace

QDateTime periodDate(const QVariantMap &period)
{
    const QDateTime date = OVForecastPeriod::dateValue(period, OVForecastKey::date);
    return date.isValid() ? date : OVForecastPeriod::dateValue(period, OVForecastKey::startDate);
}

std::vector<OVGraphDataPoint> mergePastAndFuture(std::vector<OVGraphDataPoint> past,
                                                 const std::vector<OVGraphDataPoint> &future)
{
    const QDateTime last = past.empty() ? QDateTime() : past.back().date;
    for (const OVGraphDataPoint &point : future) {
        if (!last.isValid() || last.msecsTo(point.date) > 0)
            past.push_back(point);
    }
    return past;
}

std::vector<OVGraphDataPoint> mergeBars(std::vector<OVGraphDataPoint> past,
                                        const std::vector<OVGraphDataPoint> &future, const QDateTime &now)
{
    const QDateTime lastEnd = past.empty() ? QDateTime() : past.back().maxDate;
    if (!past.empty() && !lastEnd.isValid())
        return past;
    for (OVGraphDataPoint bar : future) {
        if (!lastEnd.isValid() || bar.minDate > lastEnd) {
            past.push_back(bar);
        } else if (bar.maxDate > lastEnd) {
            bar.minDate = now;
            past.push_back(bar);
        }
    }
    return past;
}

std::vector<OVGraphDataPoint> pastPrecipitationBars(const QList<OVWeatherConditions> &records)
{
    std::vector<OVGraphDataPoint> bars;
    const OVWeatherConditions *prev = nullptr;
    for (const OVWeatherConditions &record : records) {
        const double raw = record.h1PrecipitationInches();
        const double v = raw == OVNoValue ? 0.0 : raw;
        OVGraphDataPoint bar = OVGraphDataPoint::dataPointWithX(0.0, v, QDateTime(), v);
        bar.maxDate = record.date();
        if (prev && prev->date().isValid() && record.date().isValid()
            && double(record.date().msecsTo(prev->date())) / 1000.0 > -3600.0) {
            bar.minDate = prev->date();
            const double prevAmount = prev->h1PrecipitationInches();
            // Reports within one clock hour accumulate from its top: only the increase is new.
            // A smaller amount means a new accumulation started (a report of the hour's end was
            // missed), so it counts whole, as it does after a report without an amount.
            if (clockHour(bar.minDate) == clockHour(bar.maxDate) && prevAmount != OVNoValue && v >= prevAmount)
                bar.y = v - prevAmount;
        } else {
            bar.minDate = NSDateUtil::dateByAddingYears(record.date(), 0, 0, 0, -1, 0, 0);
        }
        bars.push_back(bar);
        prev = &record;
    }
    return bars;
}

std::vector<OVGraphDataPoint> futureBars(const QList<QVariantMap> &periods, const QString &key, const QDateTime &now)
{
    std::vector<OVGraphDataPoint> bars;
    for (const QVariantMap &period : periods) {
        const std::optional<float> value = OVForecastPeriod::floatValue(period, key);
        if (!value)
            continue;
        const QDateTime end = OVForecastPeriod::dateValue(period, OVForecastKey::endDate);
        if (end.isValid() && end < now)
            continue;
        OVGraphDataPoint bar = OVGraphDataPoint::dataPointWithX(0.0, *value, QDateTime());
        bar.minDate = OVForecastPeriod::dateValue(period, OVForecastKey::startDate);
        bar.maxDate = end;
        bars.push_back(bar);
    }
    return bars;
}

double meanDirection(const std::vector<OVGraphDataPoint> &points, const QDateTime &start, const QDateTime &end)
{
    double sumCos = 0.0;
    double sumSin = 0.0;
    for (const OVGraphDataPoint &p : points) {
        if (!p.date.isValid() || !NSDateUtil::isBetweenStartDate(p.date, start, end))
            continue;
        sumCos += std::cos(p.y * M_PI / 180.0);
        sumSin += std::sin(p.y * M_PI / 180.0);
    }
    const double angle = sumCos == 0.0 ? 0.0 : std::atan(sumSin / sumCos) * 180.0 / M_PI;
    if (sumCos < 0.0)
        return angle + 180.0;
    if (sumCos > 0.0 && sumSin < 0.0)
        return angle + 360.0;
    return angle;
}

double totalOfBars(const std::vector<OVGraphDataPoint> &points, const QDateTime &minDate, const QDateTime &maxDate)
{
    double total = 0.0;
    for (const OVGraphDataPoint &p : points) {
        if (p.maxDate.isValid() && p.minDate.isValid() && p.maxDate > minDate && p.minDate < maxDate)
            total += p.y;
    }
    return total;
}

void wrapDirections(std::vector<OVGraphDataPoint> &points, double mean)
{
    const double low = mean - 180.0;
    const double high = mean + 180.0;
    for (OVGraphDataPoint &p : points) {
        while (low > p.y)
            p.y += 360.0;
        while (high < p.y)
            p.y -= 360.0;
    }
}

QString stringForDirection(double degrees)
{
    if (degrees == -1.0)
        return QStringLiteral("Variable");
    if (degrees == OVNoValue)
        return QStringLiteral("Not Available");
    static constexpr std::array<const char *, 9> names{"N", "NE", "E", "SE", "S", "SW", "W", "NW", "N"};
    float best = 45.0f;
    int chosen = -1;
    for (int i = 0; i < int(names.size()); ++i) {
        const float difference = std::fabs(float(degrees) - float(i * 45));
        if (difference < best) {
            best = difference;
            chosen = i;
        }
    }
    return OVLocalizedString(names[size_t(chosen < 0 ? 0 : chosen)]);
}

QString windReadout(double speedKnots, double gustKnots, double directionDegrees, OVWindSpeedUnit unit)
{
    if (speedKnots == 0.0)
        return OVLocalizedString("Calm");
    if (!OVUnits::isNamed(unit))
        return QString();
    const QString format = QStringLiteral("%@ %@ ") + QLatin1String(OVUnits::windSpeedWord(unit));
    const double speed = OVUnits::fromKnots(speedKnots, unit);
    const double gust = OVUnits::fromKnots(gustKnots, unit);
    QString speedText = QString::asprintf("%.0f", speed);
    if (gust > speed + 0.5)
        speedText += QString::asprintf("-%.0f", gust);
    QString text = OVLocalizedString(format);
    text.replace(text.indexOf(QLatin1String("%@")), 2, stringForDirection(directionDegrees));
    text.replace(text.indexOf(QLatin1String("%@")), 2, speedText);
    return text;
}

} // namespace NBGraphSeries
