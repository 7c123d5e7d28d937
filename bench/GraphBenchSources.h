// The graph benchmarks' weather: a fixed clock, five days of hourly observations before it and
// five of forecasts after it for every quantity the panels read, a place in UTC with them, and the
// offscreen application the panels need.
#pragma once

#include "core/NBPrefController.h"
#include "graphs/NBMultiGraphPart.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherLocationSources.h"

#include <QApplication>
#include <QHash>
#include <QTimeZone>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace graphbench {

inline const QDateTime kNow(QDate(2024, 1, 6), QTime(0, 0), QTimeZone::utc());

class FixedClock final : public OVClock
{
public:
    QDateTime now() const override { return kNow; }
};

// Five days of hourly observations before now and five of forecasts after it.
class BenchSources final : public OVWeatherLocationSources
{
public:
    BenchSources()
    {
        for (int hour = -120; hour <= 0; ++hour) {
            OVWeatherConditions c;
            c.setDate(kNow.addSecs(hour * 3600));
            c.setTemperatureC(8 + 7 * std::sin(hour * 0.26));
            c.setDewpointC(-2 + 2 * std::sin(hour * 0.1));
            c.setWindSpeedKnots(8 + 5 * std::sin(hour * 0.3));
            c.setWindDirection(std::fmod(720 + hour * 7.0, 360));
            c.setPressureMB(1012 + 6 * std::sin(hour * 0.12));
            c.setH1PrecipitationInches(hour % 5 == 0 ? 0.02 : 0.0);
            c.setSkyCover(QStringLiteral("SCT050"));
            history.append(c);
        }
        const char *keys[] = {"hourlyt",  "dewpoint",   "windSpeed",   "gustSpeed",  "windDirection", "humidity",
                              "cloudCover", "popFromIcon", "waveHeight", "liquidPrecip", "snowPrecip"};
        for (int hour = 1; hour <= 120; ++hour) {
            const QDateTime date = kNow.addSecs(hour * 3600);
            for (const char *key : keys) {
                const double value = 30 + 20 * std::sin(hour * 0.2);
                series[QLatin1String(key)].append({{QLatin1String(key), value},
                                                   {QStringLiteral("startDate"), date},
                                                   {QStringLiteral("endDate"), date.addSecs(3600)}});
            }
        }
    }
    const OVClock &clock() const override { return mClock; }
    QList<QVariantMap> ndfdSeries(const OVWeatherLocation &, const QString &key, const QDateTime &,
                                  const QDateTime &) override
    {
        return series.value(key);
    }
    QList<QVariantMap> ndfdSteps(const OVWeatherLocation &) override { return {}; }
    QList<QVariantMap> serviceHourly(const OVWeatherLocation &) override { return {}; }
    std::optional<OVWeatherConditions> latestConditions(const QString &) override { return std::nullopt; }
    QList<OVWeatherConditions> observations(const QString &, const QDateTime &, const QDateTime &) override
    {
        return history;
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

    QList<OVWeatherConditions> history;
    QHash<QString, QList<QVariantMap>> series;

private:
    FixedClock mClock;
};

class BenchContainer final : public NBMultiGraphPartDelegate
{
public:
    BenchContainer()
    {
        location = std::make_shared<OVWeatherLocation>(std::make_shared<BenchSources>());
        location->setIcao(QStringLiteral("KDEN"));
        location->setLocationTimeZone(QTimeZone::utc());
    }
    std::shared_ptr<OVWeatherLocation> currentLocation() const override { return location; }
    int graphHeight() const override { return 155; }
    QDateTime startDate() const override { return kNow.addDays(-5); }
    QDateTime endDate() const override { return kNow.addDays(5); }
    double verticalOffset() const override { return 0; }
    std::shared_ptr<OVWeatherLocation> location;
};

inline void ensureApplication()
{
    static QApplication *application = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "graphs_bench";
        static char *argv[] = {name, nullptr};
        auto *app = new QApplication(argc, argv);
        NBPrefController::initSettings();
        return app;
    }();
    (void)application;
}

} // namespace graphbench
