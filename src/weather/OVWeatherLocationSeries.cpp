// A location's weather now and over time: current conditions, the forecast series of an element
// chosen between NDFD and the forecast data service, the current icon, and regular series that
// join observations before now to forecasts after it.
#include "weather/OVWeatherLocation.h"

#include "core/NSArrayUtil.h"
#include "core/NSDateUtil.h"
#include "core/OVConstants.h"
#include "platform/OVValueConversion.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherIconImages.h"
#include "weather/OVWeatherLocationSources.h"

#include <QFileInfo>
#include <QImage>

#include <cmath>

namespace {

const QString kNotAvailableImage = QStringLiteral("na.png");
constexpr qint64 kObservationIconMaxAgeSeconds = 10800;
// NDFD's series gives way to the service's only when this many entries shorter.
constexpr qsizetype kNDFDShortfallAllowed = 16;
// The days of history searched for a temperature when the latest observation has none.
constexpr int32_t kCurrentDataDays = 3;

// The values of a forecast slot, in the order they are read.
const QString kInterpolatedKeys[] = {
    OVForecastKey::hourlyt,   OVForecastKey::dewpoint,   OVForecastKey::humidity,
    OVForecastKey::windDirection, OVForecastKey::windSpeed, OVForecastKey::gustSpeed,
    OVForecastKey::cloudCover, OVForecastKey::waveHeight, OVForecastKey::popFromIcon,
};
const QString kSummedKeys[] = {OVForecastKey::liquidPrecip, OVForecastKey::snowPrecip};

// The image's file name in the icon set ("ra" is "ra.png"); "na.png" when the set has none.
QString bundledImageName(const QString &name)
{
    if (!OVWeatherIconImages::hasImage(name))
        return kNotAvailableImage;
    return name.endsWith(QLatin1String(".png")) ? name : name + QLatin1String(".png");
}

bool isNotAvailable(const QString &name)
{
    return bundledImageName(name) == kNotAvailableImage;
}

QList<QVariantMap> withoutPastEntries(QList<QVariantMap> forecast, const QDateTime &now)
{
    forecast.removeIf([&](const QVariantMap &entry) {
        const QDateTime date = OVForecastPeriod::dateValue(entry, OVForecastKey::date);
        return date.isValid() && date < now;
    });
    return forecast;
}

double interpolated(const QList<QVariantMap> &forecast, const QDateTime &date, const QString &key)
{
    return NSArrayUtil::interpolatedFloatValueForDate(forecast, date, OVForecastKey::date, key,
                                                      OVNoValue);
}

// The "image" of the entry closest to the date; null when that entry has none.
QString closestImage(const QList<QVariantMap> &forecast, const QDateTime &date)
{
    const std::optional<QVariantMap> closest =
        NSArrayUtil::closestObjectToDate(forecast, date, OVForecastKey::date);
    return closest ? OVForecastPeriod::stringValue(*closest, OVForecastKey::image) : QString();
}

} // namespace

std::optional<OVWeatherConditions> OVWeatherLocation::getCurrentData() const
{
    const QString station = icao();
    if (station.isEmpty())
        return std::nullopt;
    OVWeatherLocationSources &sources = dataSources();
    std::optional<OVWeatherConditions> current = sources.latestConditions(station);
    if (!current || current->temperatureC() == OVNoValue) {
        current.reset();
        const QList<OVWeatherConditions> recent = getDataForLastDays(kCurrentDataDays, sources.clock());
        for (auto record = recent.crbegin(); record != recent.crend(); ++record) {
            if (record->temperatureC() != OVNoValue) {
                current = *record;
                break;
            }
        }
    }
    if (current)
        current->setIsDayFromLocation(*this, sources.clock());
    return current;
}

QList<QVariantMap> OVWeatherLocation::forecastForKey(const QString &key, const QDateTime &startDate,
                                                     const QDateTime &endDate) const
{
    OVWeatherLocationSources &sources = dataSources();
    QList<QVariantMap> ndfd = sources.ndfdSeries(*this, key, startDate, endDate);
    QList<QVariantMap> service = sources.serviceHourly(*this);
    if (ndfd.isEmpty() || !forecastHasGoodData(ndfd, key))
        return service;
    return ndfd.size() < service.size() - kNDFDShortfallAllowed ? service : ndfd;
}

bool OVWeatherLocation::forecastHasGoodData(const QList<QVariantMap> &forecast, const QString &key)
{
    return std::any_of(forecast.cbegin(), forecast.cend(), [&](const QVariantMap &entry) {
        return OVValueConversion::toInteger(entry.value(key)) != int64_t(OVNoValue);
    });
}

QString OVWeatherLocation::currentConditionsIconName() const
{
    QString name = kNotAvailableImage;
    OVWeatherLocationSources &sources = dataSources();
    const QString station = icao();
    if (!station.isEmpty()) {
        const std::optional<OVWeatherConditions> latest = sources.latestConditions(station);
        if (latest && latest->date().isValid()
            && latest->date().secsTo(sources.clock().now()) < kObservationIconMaxAgeSeconds)
            name = bundledImageName(latest->displayIconName());
    }
    if (!isNotAvailable(name))
        return name;

    const QList<QVariantMap> forecast = forecastForKey(OVForecastKey::image);
    if (forecast.isEmpty())
        return kNotAvailableImage;
    auto imageOf = [](const QVariantMap &entry) {
        return QFileInfo(OVForecastPeriod::stringValue(entry, OVForecastKey::image)).fileName();
    };
    QString chosen = imageOf(forecast.at(0));
    if (chosen == QLatin1String("na") && forecast.size() > 1)
        chosen = imageOf(forecast.at(1));
    return chosen.isEmpty() ? kNotAvailableImage : bundledImageName(chosen);
}

QImage OVWeatherLocation::currentConditionsIcon() const
{
    return QImage(OVWeatherIconImages::pathForIconName(currentConditionsIconName()));
}

std::optional<QList<OVWeatherConditions>>
OVWeatherLocation::conditionsBetweenStartDate(const QDateTime &startDate, const QDateTime &endDate,
                                              double intervalSeconds) const
{
    if (!startDate.isValid() || !endDate.isValid() || intervalSeconds < 60.0 || endDate < startDate)
        return std::nullopt;
    OVWeatherLocationSources &sources = dataSources();
    const QDateTime now = sources.clock().now();
    const QList<OVWeatherConditions> past = getDataFrom(startDate, endDate);
    const QList<QVariantMap> ndfd = withoutPastEntries(sources.ndfdSteps(*this), now);
    const QList<QVariantMap> service = withoutPastEntries(sources.serviceHourly(*this), now);

    const qint64 intervalMs = qint64(std::llround(intervalSeconds * 1000.0));
    const QDateTime midnight(startDate.toUTC().date(), QTime(0, 0), Qt::UTC);
    const qint64 offsetMs = midnight.msecsTo(startDate);
    QDateTime slot = midnight.addMSecs((offsetMs + intervalMs - 1) / intervalMs * intervalMs);

    QList<OVWeatherConditions> series;
    for (; slot < endDate; slot = slot.addMSecs(intervalMs)) {
        if (auto record = assembleConditionsForDate(slot, intervalSeconds, past, ndfd, service))
            series.append(*record);
    }
    return series;
}

std::optional<OVWeatherConditions>
OVWeatherLocation::assembleConditionsForDate(const QDateTime &date, double intervalSeconds,
                                             const QList<OVWeatherConditions> &pastConditions,
                                             const QList<QVariantMap> &ndfdForecast,
                                             const QList<QVariantMap> &brisantForecast) const
{
    if (date < dataSources().clock().now()) {
        if (pastConditions.isEmpty() || date < pastConditions.first().date())
            return std::nullopt;
        std::optional<OVWeatherConditions> closest =
            NSArrayUtil::closestObjectToDate(pastConditions, date, OVForecastKey::date);
        if (closest)
            closest->setDate(date);
        return closest;
    }

    QVariantMap period;
    for (const QString &key : kInterpolatedKeys) {
        double value = interpolated(ndfdForecast, date, key);
        if (value == OVNoValue)
            value = interpolated(brisantForecast, date, key);
        period.insert(key, float(value));
    }
    QString image = closestImage(ndfdForecast, date);
    if (image.isNull())
        image = closestImage(brisantForecast, date);
    if (!image.isNull())
        period.insert(OVForecastKey::image, image);
    const QDateTime rangeStart = date.addMSecs(-qint64(std::llround(intervalSeconds * 1000.0)));
    for (const QString &key : kSummedKeys) {
        double sum = adjustedSumForTimeRange(rangeStart, date, ndfdForecast, key);
        if (sum == OVNoValue)
            sum = adjustedSumForTimeRange(rangeStart, date, brisantForecast, key);
        period.insert(key, sum);
    }
    period.insert(OVForecastKey::date, date);
    return OVWeatherConditions::initWithForecastDictionary(period);
}

double OVWeatherLocation::adjustedSumForTimeRange(const QDateTime &startDate,
                                                  const QDateTime &endDate,
                                                  const QList<QVariantMap> &forecast,
                                                  const QString &key)
{
    if (!startDate.isValid() || !endDate.isValid() || endDate < startDate)
        return OVNoValue;
    double sum = 0.0;
    bool overlapped = false;
    for (const QVariantMap &entry : forecast) {
        const QDateTime entryStart = OVForecastPeriod::dateValue(entry, OVForecastKey::startDate);
        const QDateTime entryEnd = OVForecastPeriod::dateValue(entry, OVForecastKey::endDate);
        if (!entryStart.isValid() || !entryEnd.isValid())
            continue;
        const double overlap = NSDateUtil::overlappingIntervalBetweenRangeAStart(
            startDate, endDate, entryStart, entryEnd);
        if (overlap <= 0.0)
            continue;
        const double length = double(entryStart.msecsTo(entryEnd)) / 1000.0;
        sum += double(OVValueConversion::toFloat(entry.value(key))) * overlap / length;
        overlapped = true;
    }
    return overlapped ? sum : OVNoValue;
}
