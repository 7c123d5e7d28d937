// The graph types that draw lines of one quantity: temperature, wind speed, pressure, the three
// percentages and wave height; and the table from type number to strategy.
#include "graphs/NBGraphTypeStrategy.h"

#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/NSDateUtil.h"
#include "core/OVConstants.h"
#include "graphs/NBCommon.h"
#include "graphs/NBGraphSeries.h"
#include "graphs/NBGraphTypeStrategies.h"
#include "graphs/NBGraphTypeSupport.h"
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"
#include "platform/OVLocalize.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVUnitConversions.h"
#include "weather/OVUnits.h"
#include "weather/OVWeatherConditions.h"

#include <QLabel>

using namespace NBGraphTypeSupport;

std::unique_ptr<NBGraphTypeStrategy> NBGraphTypeStrategy::forType(int type)
{
    switch (type) {
    case NBGraphTypeTemperature:
        return NBGraphTypes::temperature();
    case NBGraphTypeWindSpeed:
        return NBGraphTypes::windSpeed();
    case NBGraphTypeWindDirection:
        return NBGraphTypes::windDirection();
    case NBGraphTypeCylindricalWindDirection:
        return NBGraphTypes::cylindricalWindDirection();
    case NBGraphTypePressure:
        return NBGraphTypes::pressure();
    case NBGraphTypeHumidity:
        return NBGraphTypes::humidity();
    case NBGraphTypePrecipitation:
        return NBGraphTypes::precipitation();
    case NBGraphTypeCloudCover:
        return NBGraphTypes::cloudCover();
    case NBGraphTypeSnowfall:
        return NBGraphTypes::snowfall();
    case NBGraphTypeWaveHeight:
        return NBGraphTypes::waveHeight();
    case NBGraphTypeProbabilityOfPrecipitation:
        return NBGraphTypes::probabilityOfPrecipitation();
    default:
        return nullptr;
    }
}

namespace {

// A line with a stroke of width 3 and no area, as most single-quantity graphs draw.
void strokedLine(OVGraphView &graph, const QColor &color)
{
    graph.setStroke(true);
    graph.setStrokeWidth(3.0);
    graph.setStrokeColor(color);
    graph.setForegroundColor(QColor());
}

OVGraphRange windowRange(const NBMultiGraphPart &part)
{
    const OVGraphView &graph = *part.graph();
    return OVGraphView::rangeForData(graph.dataPoints(), graph.minDate(), graph.maxDate());
}

OVGraphRange windowScale(const NBMultiGraphPart &part, bool secondary)
{
    const OVGraphView &graph = *part.graph();
    return OVGraphView::graphScaleForData(graph.dataPoints(), graph.minDate(), graph.maxDate(), secondary);
}

QString temperatureUnitsText()
{
    return OVUnits::temperatureSymbol(OVUnits::temperatureSetting());
}

class TemperatureGraph final : public NBGraphTypeStrategy
{
public:
    void setup(NBMultiGraphPart &part) override
    {
        OVGraphView &graph = *part.graph();
        graph.setForegroundColor(settingColor("viewBackgroundColor"));
        graph.setBackgroundGradient(NBCommon::mediumTemperatureGradient());
        graph.setBackgroundGradientRange(
            OVGraphRangeMake(NBCommon::temperatureGradientMinC(), NBCommon::temperatureGradientMaxC()));
        graph.setInverted(true);
        graph.setGraphSecondaryYMode(OVGraphSecondaryYMode::Line);
        graph.setSecondaryYColor(Qt::black);
        graph.setStrokeWidth(2.0);
        part.legend()->setUnits(temperatureUnitsText());
        part.rightLabel()->setText(OVLocalizedString("Temperature"));
        part.setLeftText(QStringLiteral("High:     Low:"));
    }

    void updateData(NBMultiGraphPart &part) override
    {
        std::vector<OVGraphDataPoint> past;
        double dewpoint = OVNoValue;
        for (const OVWeatherConditions &record : pastRecords(part)) {
            // A report without a dew point shows the last one reported before it.
            if (record.dewpointC() != OVNoValue)
                dewpoint = record.dewpointC();
            if (record.temperatureC() == OVNoValue)
                continue;
            OVGraphDataPoint p =
                OVGraphDataPoint::dataPointWithX(0.0, record.temperatureC(), record.date(), record.temperatureF());
            if (dewpoint != OVNoValue)
                p.secondaryY = dewpoint;
            past.push_back(p);
        }

        std::vector<OVGraphDataPoint> future;
        const QDateTime now = part.now();
        const QList<QVariantMap> temperatures = forecast(part, OVForecastKey::hourlyt);
        const QList<QVariantMap> dewpoints = forecast(part, OVForecastKey::dewpoint);
        const bool pairedDewpoints = dewpoints.size() == temperatures.size();
        for (qsizetype i = 0; i < temperatures.size(); ++i) {
            const QDateTime date = NBGraphSeries::periodDate(temperatures.at(i));
            const std::optional<float> f = OVForecastPeriod::floatValue(temperatures.at(i), OVForecastKey::hourlyt);
            if (!f || (date.isValid() && date < now))
                continue;
            OVGraphDataPoint p = OVGraphDataPoint::dataPointWithX(0.0, celsiusFromFahrenheit(*f), date, *f);
            if (pairedDewpoints) {
                if (const auto d = OVForecastPeriod::floatValue(dewpoints.at(i), OVForecastKey::dewpoint))
                    p.secondaryY = celsiusFromFahrenheit(*d);
            }
            future.push_back(p);
        }
        setMergedPoints(part, std::move(past), future);
        part.graph()->setGraphSecondaryYMode(NBPrefController::boolForKey(NBSettingKey::showDewpoint)
                                                 ? OVGraphSecondaryYMode::Line
                                                 : OVGraphSecondaryYMode::None);
    }

    void updateScale(NBMultiGraphPart &part) override
    {
        const OVTemperatureUnit unit = OVUnits::temperatureSetting();
        const OVGraphRange scale = windowScale(part, true);
        OVGraphRange legendRange = scale;
        if (isValid(scale))
            legendRange =
                OVGraphRangeMake(OVUnits::fromCelsius(scale.min, unit), OVUnits::fromCelsius(scale.max, unit));
        setRanges(part, scale, legendRange);

        const OVGraphRange range = windowRange(part);
        if (isValid(range)) {
            const char *format = unit == OVTemperatureUnit::Kelvin ? "High: %.1fK     Low: %.1fK"
                                                                   : "High: %.1f\u00B0     Low: %.1f\u00B0";
            part.setLeftText(QString::asprintf(OVLocalizedString(format).toUtf8().constData(),
                                               OVUnits::fromCelsius(range.max, unit),
                                               OVUnits::fromCelsius(range.min, unit)));
        } else {
            part.setLeftText(OVLocalizedString("High: n/a     Low: n/a"));
        }
        part.legend()->setUnits(temperatureUnitsText());
        part.graph()->setHoverUnits(part.legend()->units());
    }

    QString hoverText(NBMultiGraphPart &part, const OVGraphDataPoint &point) override
    {
        const double value = OVUnits::fromCelsius(point.y, OVUnits::temperatureSetting());
        const QString legendUnits = part.legend()->units();
        return QString::asprintf("%.1f", value) + (legendUnits.isEmpty() ? QStringLiteral("\u00B0") : legendUnits);
    }
};

class WindSpeedGraph final : public NBGraphTypeStrategy
{
public:
    void setup(NBMultiGraphPart &part) override
    {
        OVGraphView &graph = *part.graph();
        graph.setForegroundColor(settingColor("OVNimbrelColorBlue"));
        graph.setSmoothed(false);
        graph.setGraphSecondaryYMode(OVGraphSecondaryYMode::FilledUnder);
        graph.setSecondaryYColor(QColor::fromRgbF(0.612f, 0.882f, 0.957f, 1.0f));
        part.rightLabel()->setText(OVLocalizedString("Wind Speed"));
        part.setLeftText(QStringLiteral("Peak Wind:     Peak Gust:"));
    }

    void updateData(NBMultiGraphPart &part) override
    {
        std::vector<OVGraphDataPoint> past;
        for (const OVWeatherConditions &record : pastRecords(part)) {
            if (record.windSpeedKnots() == OVNoValue)
                continue;
            OVGraphDataPoint p = OVGraphDataPoint::dataPointWithX(0.0, record.windSpeedKnots(), record.date(),
                                                                   record.windDirection());
            p.secondaryY = record.gustSpeedKnots() == OVNoValue ? record.windSpeedKnots() : record.gustSpeedKnots();
            past.push_back(p);
        }

        std::vector<OVGraphDataPoint> future;
        const QDateTime now = part.now();
        const QList<QVariantMap> speeds = forecast(part, OVForecastKey::windSpeed);
        const QList<QVariantMap> gusts = forecast(part, OVForecastKey::gustSpeed);
        const QList<QVariantMap> directions = forecast(part, OVForecastKey::windDirection);
        const bool pairedDirections = directions.size() == speeds.size();
        for (qsizetype i = 0; i < speeds.size(); ++i) {
            const QDateTime date = NBGraphSeries::periodDate(speeds.at(i));
            const std::optional<float> speed = OVForecastPeriod::floatValue(speeds.at(i), OVForecastKey::windSpeed);
            if (!speed || (date.isValid() && date < now))
                continue;
            double direction = OVNoValue;
            if (pairedDirections) {
                if (const auto d = OVForecastPeriod::floatValue(directions.at(i), OVForecastKey::windDirection))
                    direction = *d;
            }
            OVGraphDataPoint p = OVGraphDataPoint::dataPointWithX(0.0, *speed, date, direction);
            p.secondaryY = *speed;
            for (const QVariantMap &gust : gusts) {
                if (!NSDateUtil::isBetweenStartDate(date, OVForecastPeriod::dateValue(gust, OVForecastKey::startDate),
                                                    OVForecastPeriod::dateValue(gust, OVForecastKey::endDate)))
                    continue;
                // A period without a gust value plots the wind itself, as past reports do.
                if (const auto g = OVForecastPeriod::floatValue(gust, OVForecastKey::gustSpeed))
                    p.secondaryY = *g;
                break;
            }
            future.push_back(p);
        }
        setMergedPoints(part, std::move(past), future);
    }

    void updateScale(NBMultiGraphPart &part) override
    {
        const OVWindSpeedUnit unit = OVUnits::windSpeedSetting();
        const OVGraphRange scale = windowScale(part, true);
        const double top = scale.max;
        const double legendTop = top == OVGraphNoDataRange.max ? top : OVUnits::fromKnots(top, unit);
        setRanges(part, OVGraphRangeMake(0.0, top), OVGraphRangeMake(0.0, legendTop));

        const OVGraphRange range = windowRange(part);
        if (!isValid(range)) {
            part.setLeftText(OVLocalizedString("Peak Wind: n/a"));
            return;
        }
        const char *format = unit == OVWindSpeedUnit::MilesPerHour        ? "Peak Wind: %.0f mph"
                             : unit == OVWindSpeedUnit::KilometersPerHour ? "Peak Wind: %.0f km/h"
                             : unit == OVWindSpeedUnit::MetersPerSecond   ? "Peak Wind: %.0f m/s"
                                                                          : "Peak Wind: %.0f kts";
        part.setLeftText(QString::asprintf(OVLocalizedString(format).toUtf8().constData(),
                                           OVUnits::fromKnots(range.max, unit)));
    }

    QString hoverText(NBMultiGraphPart &, const OVGraphDataPoint &point) override
    {
        return NBGraphSeries::windReadout(point.y, point.secondaryY, point.displayValue, OVUnits::windSpeedSetting());
    }
};

class PressureGraph final : public NBGraphTypeStrategy
{
public:
    void setup(NBMultiGraphPart &part) override
    {
        strokedLine(*part.graph(), QColor::fromRgbF(1.0f, 1.0f, 0.0f));
        part.legend()->setUnits(QStringLiteral(""));
        part.rightLabel()->setText(OVLocalizedString("Pressure"));
        part.setLeftText(QStringLiteral("Ridge:     Trough:"));
    }

    void updateData(NBMultiGraphPart &part) override
    {
        part.graph()->setDataPoints(
            pastLinePoints(pastRecords(part), [](const OVWeatherConditions &c) { return c.pressureMB(); }));
    }

    void updateScale(NBMultiGraphPart &part) override
    {
        const OVPressureUnit unit = OVUnits::pressureSetting();
        const OVGraphRange scale = windowScale(part, false);
        OVGraphRange legendRange = scale;
        if (isValid(scale))
            legendRange =
                OVGraphRangeMake(OVUnits::fromMillibars(scale.min, unit), OVUnits::fromMillibars(scale.max, unit));
        setRanges(part, scale, legendRange);

        const OVGraphRange range = windowRange(part);
        if (!isValid(range)) {
            part.setLeftText(OVLocalizedString("Ridge: n/a     Trough: n/a"));
            return;
        }
        const char *format = unit == OVPressureUnit::InchesOfMercury ? "Ridge: %.2f inches     Trough: %.2f inches"
                             : unit == OVPressureUnit::Hectopascals  ? "Ridge: %.0f hPa     Trough: %.0f hPa"
                             : unit == OVPressureUnit::Kilopascals   ? "Ridge: %.2f kPa     Trough: %.2f kPa"
                                                                     : "Ridge: %.0f mb     Trough: %.0f mb";
        part.setLeftText(QString::asprintf(OVLocalizedString(format).toUtf8().constData(),
                                           OVUnits::fromMillibars(range.max, unit),
                                           OVUnits::fromMillibars(range.min, unit)));
    }

    QString hoverText(NBMultiGraphPart &, const OVGraphDataPoint &point) override
    {
        const OVPressureUnit unit = OVUnits::pressureSetting();
        const char *format = unit == OVPressureUnit::InchesOfMercury ? "%.2f inches"
                             : unit == OVPressureUnit::Hectopascals  ? "%.1f hPa"
                             : unit == OVPressureUnit::Kilopascals   ? "%.1f kPa"
                                                                     : "%.0f mb";
        return QString::asprintf(OVLocalizedString(format).toUtf8().constData(), OVUnits::fromMillibars(point.y, unit));
    }
};

// Humidity, cloud cover and the probability of precipitation: a percentage on a fixed axis.
class PercentageGraph final : public NBGraphTypeStrategy
{
public:
    enum class Source { Humidity, CloudCover, ProbabilityOfPrecipitation };

    explicit PercentageGraph(Source source)
        : mSource(source)
    {
    }

    void setup(NBMultiGraphPart &part) override
    {
        OVGraphView &graph = *part.graph();
        QColor color;
        const char *name = nullptr;
        switch (mSource) {
        case Source::Humidity:
            color = settingColor("OVNimbrelColorOrange");
            name = "Humidity";
            break;
        case Source::CloudCover:
            color = QColor::fromRgbF(0.0f, 1.0f, 1.0f);
            name = "Cloud Cover";
            break;
        case Source::ProbabilityOfPrecipitation:
            color = QColor::fromRgbF(0.0f, 1.0f, 0.502f, 1.0f);
            name = "Probability of Precipitation";
            break;
        }
        if (mSource != Source::ProbabilityOfPrecipitation)
            graph.setHoverUnits(QStringLiteral("%"));
        strokedLine(graph, color);
        part.legend()->setUnits(QStringLiteral("%"));
        part.legend()->setForceYInterval(25.0);
        part.rightLabel()->setText(OVLocalizedString(name));
        part.setLeftText(QStringLiteral("Max:     Min:"));
    }

    void updateData(NBMultiGraphPart &part) override
    {
        switch (mSource) {
        case Source::Humidity:
            setMergedPoints(part,
                            pastLinePoints(pastRecords(part),
                                           [](const OVWeatherConditions &c) { return c.relativeHumidity(); }),
                            futureLinePoints(forecast(part, OVForecastKey::humidity), OVForecastKey::humidity));
            break;
        case Source::CloudCover:
            setMergedPoints(part,
                            pastLinePoints(pastRecords(part),
                                           [](const OVWeatherConditions &c) { return c.skyCoverPercentage(); }),
                            futureLinePoints(forecast(part, OVForecastKey::cloudCover), OVForecastKey::cloudCover));
            break;
        case Source::ProbabilityOfPrecipitation:
            part.graph()->setDataPoints(startingFromNow(part, OVForecastKey::popFromIcon, -1.0));
            break;
        }
    }

    void updateScale(NBMultiGraphPart &part) override
    {
        setRanges(part, OVGraphRangeMake(0.0, 100.0), OVGraphRangeMake(0.0, 100.0));
        const OVGraphRange range = windowRange(part);
        part.setLeftText(isValid(range) ? QString::asprintf(OVLocalizedString("Max: %.0f%%     Min: %.0f%%")
                                                                .toUtf8()
                                                                .constData(),
                                                            range.max, range.min)
                                        : OVLocalizedString("Max: n/a     Min: n/a"));
    }

    QString hoverText(NBMultiGraphPart &, const OVGraphDataPoint &point) override
    {
        return QString::asprintf("%.0f%%", point.displayValue);
    }

    /// Points of the periods that start now or later, dated at their start, above `floor`.
    static std::vector<OVGraphDataPoint> startingFromNow(const NBMultiGraphPart &part, const QString &key, double floor)
    {
        std::vector<OVGraphDataPoint> points;
        const QDateTime now = part.now();
        for (const QVariantMap &period : forecast(part, key)) {
            const QDateTime start = OVForecastPeriod::dateValue(period, OVForecastKey::startDate);
            const std::optional<float> v = OVForecastPeriod::floatValue(period, key);
            if (!v || !start.isValid() || start < now || *v <= floor)
                continue;
            points.push_back(OVGraphDataPoint::dataPointWithX(0.0, *v, start, *v));
        }
        return points;
    }

private:
    Source mSource;
};

class WaveHeightGraph final : public NBGraphTypeStrategy
{
public:
    void setup(NBMultiGraphPart &part) override
    {
        strokedLine(*part.graph(), QColor::fromRgbF(1.0f, 0.0f, 0.0f));
        part.graph()->setSmoothed(false);
        setLegendUnits(part);
        part.rightLabel()->setText(OVLocalizedString("Wave Height"));
        part.setLeftText(QStringLiteral("Peak:"));
    }

    void updateData(NBMultiGraphPart &part) override
    {
        part.graph()->setDataPoints(PercentageGraph::startingFromNow(part, OVForecastKey::waveHeight, 0.01));
    }

    void updateScale(NBMultiGraphPart &part) override
    {
        const OVHeightUnit unit = OVUnits::heightSetting();
        const bool metric = unit == OVHeightUnit::Metric;
        const double top = windowScale(part, false).max;
        const double legendTop = metric && top != OVGraphNoDataRange.max ? metersFromFeet(float(top)) : top;
        setRanges(part, OVGraphRangeMake(0.0, top), OVGraphRangeMake(0.0, legendTop));
        const OVGraphRange range = windowRange(part);
        if (!isValid(range))
            part.setLeftText(OVLocalizedString("Biggest Set: n/a"));
        else if (metric)
            part.setLeftText(QString::asprintf(OVLocalizedString("Biggest Set: %.1f m").toUtf8().constData(),
                                               double(metersFromFeet(float(range.max)))));
        else
            part.setLeftText(
                QString::asprintf(OVLocalizedString("Biggest Set: %.0f ft").toUtf8().constData(), range.max));
        if (OVUnits::isNamed(unit)) {
            setLegendUnits(part);
            part.graph()->setHoverUnits(part.legend()->units());
        }
    }

    QString hoverText(NBMultiGraphPart &, const OVGraphDataPoint &point) override
    {
        if (OVUnits::heightSetting() == OVHeightUnit::Metric)
            return QString::asprintf("%.1f m", double(metersFromFeet(float(point.y))));
        return QString::asprintf("%.1f ft", point.y);
    }

private:
    static void setLegendUnits(NBMultiGraphPart &part)
    {
        const OVHeightUnit unit = OVUnits::heightSetting();
        if (unit == OVHeightUnit::InchesAndFeet)
            part.legend()->setUnits(QStringLiteral("ft"));
        else if (unit == OVHeightUnit::Metric)
            part.legend()->setUnits(QStringLiteral("m"));
    }
};

} // namespace

namespace NBGraphTypes {

std::unique_ptr<NBGraphTypeStrategy> temperature()
{
    return std::make_unique<TemperatureGraph>();
}
std::unique_ptr<NBGraphTypeStrategy> windSpeed()
{
    return std::make_unique<WindSpeedGraph>();
}
std::unique_ptr<NBGraphTypeStrategy> pressure()
{
    return std::make_unique<PressureGraph>();
}
std::unique_ptr<NBGraphTypeStrategy> humidity()
{
    return std::make_unique<PercentageGraph>(PercentageGraph::Source::Humidity);
}
std::unique_ptr<NBGraphTypeStrategy> cloudCover()
{
    return std::make_unique<PercentageGraph>(PercentageGraph::Source::CloudCover);
}
std::unique_ptr<NBGraphTypeStrategy> probabilityOfPrecipitation()
{
    return std::make_unique<PercentageGraph>(PercentageGraph::Source::ProbabilityOfPrecipitation);
}
std::unique_ptr<NBGraphTypeStrategy> waveHeight()
{
    return std::make_unique<WaveHeightGraph>();
}

} // namespace NBGraphTypes
