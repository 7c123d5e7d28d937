// Test doubles for the graph panels: weather sources that answer from lists the test fills, and
// a container that hands the panel a location and a window.
#pragma once

#include "graphs/NBGraphType.h"
#include "support/FakeClock.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherLocationSources.h"

#include <QHash>

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
