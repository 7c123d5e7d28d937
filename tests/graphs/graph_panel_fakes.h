// Test doubles for the graph panels: weather sources that answer from lists the test fills, and
// a container that hands the panel a location and a window.
#pragma once

#include "core/NBPrefController.h"
#include "graphs/NBGraphType.h"
#include "graphs/NBMultiGraphContainerView.h"
#include "graphs/NBMultiGraphPart.h"
#include "support/FakeClock.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherLocationSources.h"

#include <QHash>

#include <cmath>

#include <memory>

inline QDateTime utcAt(int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2013, 11, day), QTime(hour, minute, second), QTimeZone::utc());
}

class FakeGraphSources final : public OVWeatherLocationSources
{
public:
    const OVClock &clock() const override { return fakeClock; }
    QList<QVariantMap> ndfdSeries(const OVWeatherLocation &, const QString &key, const QDateTime &,
                                  const QDateTime &) override
    {
        return series.value(key);
    }
    QList<QVariantMap> ndfdSteps(const OVWeatherLocation &) override { return {}; }
    QList<QVariantMap> serviceHourly(const OVWeatherLocation &) override { return {}; }
    std::optional<OVWeatherConditions> latestConditions(const QString &) override { return std::nullopt; }
    QList<OVWeatherConditions> observations(const QString &, const QDateTime &start, const QDateTime &end) override
    {
        ++observationReads;
        QList<OVWeatherConditions> inWindow;
        for (const OVWeatherConditions &c : history) {
            if (c.date() >= start && c.date() <= end)
                inWindow.append(c);
        }
        return inWindow;
    }
    QList<OVWeatherConditions> condensedMax(const QString &, const QDateTime &, const QDateTime &,
                                            const QTimeZone &) override
    {
        return {};
    }
    QList<OVWeatherConditions> condensedMin(const QString &, const QDateTime &, const QDateTime &,
                                            const QTimeZone &) override
    {
        return {};
    }

    FakeClock fakeClock{utcAt(10, 12)};
    QHash<QString, QList<QVariantMap>> series;
    QList<OVWeatherConditions> history;
    /// How often the station's observations were read.
    int observationReads = 0;
};

class FakeGraphContainer final : public NBMultiGraphPartDelegate
{
public:
    std::shared_ptr<OVWeatherLocation> currentLocation() const override { return location; }
    int graphHeight() const override { return 155; }
    QDateTime startDate() const override { return start; }
    QDateTime endDate() const override { return end; }
    double verticalOffset() const override { return offset; }

    std::shared_ptr<OVWeatherLocation> location;
    QDateTime start = utcAt(9, 12);
    QDateTime end = utcAt(11, 12);
    double offset = 0.0;
};

/// A place with a station whose weather comes from `sources`, in UTC.
inline std::shared_ptr<OVWeatherLocation> fakeLocation(const std::shared_ptr<FakeGraphSources> &sources)
{
    auto location = std::make_shared<OVWeatherLocation>(sources);
    location->setIcao(QStringLiteral("KDEN"));
    location->setLocationTimeZone(QTimeZone::utc());
    return location;
}

/// One forecast period of a series: value under `key`, dated at `date` (start) for an hour.
inline QVariantMap period(const QString &key, double value, const QDateTime &date, int hours = 1)
{
    return QVariantMap{{key, value}, {QStringLiteral("startDate"), date},
                       {QStringLiteral("endDate"), date.addSecs(3600 * hours)}};
}

/// Two days of hourly weather around the sources' clock (10 November 12:00 UTC): observations
/// for the day before, forecasts for the day after, every quantity the graph types read.
inline void fillTwoDays(FakeGraphSources &sources)
{
    const QDateTime now = sources.fakeClock.now();
    for (int hour = -24; hour <= 0; ++hour) {
        const QDateTime date = now.addSecs(hour * 3600);
        OVWeatherConditions c;
        c.setDate(date);
        c.setTemperatureC(8.0 + 7.0 * std::sin(hour * 0.26));
        c.setDewpointC(-2.0 + 2.0 * std::sin(hour * 0.1));
        c.setWindSpeedKnots(8.0 + 5.0 * std::sin(hour * 0.3));
        c.setGustSpeedKnots(hour % 3 == 0 ? 18.0 + 4.0 * std::sin(hour * 0.3) : -1000.0);
        c.setWindDirection(std::fmod(330.0 + hour * -6.0 + 360.0, 360.0));
        c.setPressureMB(1012.0 + 6.0 * std::sin(hour * 0.12));
        c.setH1PrecipitationInches(hour > -10 && hour < -4 ? 0.02 * (hour + 10) : 0.0);
        c.setSkyCover(hour % 4 == 0 ? QStringLiteral("OVC020") : QStringLiteral("SCT050"));
        sources.history.append(c);
    }
    auto add = [&](const QString &key, double value, const QDateTime &date, int hours) {
        sources.series[key].append(period(key, value, date, hours));
    };
    for (int hour = 1; hour <= 30; ++hour) {
        const QDateTime date = now.addSecs(hour * 3600);
        add(QStringLiteral("hourlyt"), 46.0 + 12.0 * std::sin(hour * 0.26), date, 1);
        add(QStringLiteral("dewpoint"), 28.0 + 3.0 * std::sin(hour * 0.2), date, 1);
        add(QStringLiteral("windSpeed"), 10.0 + 6.0 * std::sin(hour * 0.2), date, 1);
        add(QStringLiteral("gustSpeed"), 20.0 + 6.0 * std::sin(hour * 0.2), date, 1);
        add(QStringLiteral("windDirection"), std::fmod(330.0 + hour * 8.0, 360.0), date, 1);
        add(QStringLiteral("humidity"), 50.0 + 30.0 * std::sin(hour * 0.2), date, 1);
        add(QStringLiteral("cloudCover"), 40.0 + 40.0 * std::sin(hour * 0.15), date, 1);
        add(QStringLiteral("popFromIcon"), 30.0 + 25.0 * std::sin(hour * 0.15), date, 1);
        add(QStringLiteral("waveHeight"), 3.0 + 2.0 * std::sin(hour * 0.2), date, 1);
        if (hour % 6 == 1) {
            add(QStringLiteral("liquidPrecip"), 0.05 * (hour % 4), date, 6);
            add(QStringLiteral("snowPrecip"), 0.4 * (hour % 5), date, 6);
        }
    }
}

/// Stores the shipped choice of panels: eight shown, wind direction, snowfall and wave height
/// hidden.
inline void storeShippedPanelChoice()
{
    for (int type : NBMultiGraphContainerView::kStackOrder) {
        const bool hidden =
            type == NBGraphTypeWindDirection || type == NBGraphTypeSnowfall || type == NBGraphTypeWaveHeight;
        NBPrefController::setSetting(hidden ? 0 : 1, NBMultiGraphContainerView::visibilityKey(type));
    }
}

/// A 600 x 155 panel of a type for the container, loaded, without fade.
inline std::unique_ptr<NBMultiGraphPart> loadedPanel(NBMultiGraphPartDelegate &container, int type)
{
    auto part = std::make_unique<NBMultiGraphPart>();
    part->setStatusFadeMilliseconds(0);
    part->resize(600, 155);
    part->setDelegate(&container);
    part->setGraphType(type);
    part->updateGraphData();
    return part;
}
