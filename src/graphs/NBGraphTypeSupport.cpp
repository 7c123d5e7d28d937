// Helpers the graph types share.
#include "graphs/NBGraphTypeSupport.h"

#include "core/NBPrefController.h"
#include "core/OVConstants.h"
#include "graphs/NBGraphSeries.h"
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVUnitConversions.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"

namespace NBGraphTypeSupport {

QColor settingColor(const char *key)
{
    return NBPrefController::settingForKey(QLatin1String(key)).value<QColor>();
}

bool isValid(const OVGraphRange &range)
{
    return !OVGraphRangeIsNoData(range);
}

std::vector<OVGraphDataPoint> pastLinePoints(const QList<OVWeatherConditions> &records,
                                             const std::function<double(const OVWeatherConditions &)> &value)
{
    std::vector<OVGraphDataPoint> points;
    for (const OVWeatherConditions &record : records) {
        const double v = value(record);
        if (v == OVNoValue)
            continue;
        points.push_back(OVGraphDataPoint::dataPointWithX(0.0, v, record.date(), v));
    }
    return points;
}

std::vector<OVGraphDataPoint> futureLinePoints(const QList<QVariantMap> &periods, const QString &key)
{
    std::vector<OVGraphDataPoint> points;
    for (const QVariantMap &period : periods) {
        const std::optional<float> v = OVForecastPeriod::floatValue(period, key);
        if (!v)
            continue;
        points.push_back(OVGraphDataPoint::dataPointWithX(0.0, *v, NBGraphSeries::periodDate(period), *v));
    }
    return points;
}

QList<OVWeatherConditions> pastRecords(const NBMultiGraphPart &part)
{
    const std::shared_ptr<OVWeatherLocation> location = part.currentLocation();
    return location ? location->getDataFrom(part.startDate(), part.endDate()) : QList<OVWeatherConditions>();
}

QList<QVariantMap> forecast(const NBMultiGraphPart &part, const QString &key)
{
    const std::shared_ptr<OVWeatherLocation> location = part.currentLocation();
    return location ? location->forecastForKey(key) : QList<QVariantMap>();
}

void setMergedPoints(NBMultiGraphPart &part, std::vector<OVGraphDataPoint> past,
                     const std::vector<OVGraphDataPoint> &future)
{
    const bool endsAfterNow = part.now().msecsTo(part.endDate()) > 0;
    part.graph()->setDataPoints(endsAfterNow ? NBGraphSeries::mergePastAndFuture(std::move(past), future)
                                             : std::move(past));
}

void setRanges(NBMultiGraphPart &part, const OVGraphRange &graphRange, const OVGraphRange &legendRange)
{
    part.graph()->setYRange(graphRange);
    part.legend()->setYRange(legendRange);
}

} // namespace NBGraphTypeSupport
