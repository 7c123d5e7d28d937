// The graph benchmarks' weather: a fixed clock, five days of hourly observations before it and
// five of forecasts after it for every quantity the panels read (or, as the year's data set, half
// a year of daily ones on each side), a place in UTC with them, and the offscreen application the
// panels need.
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

// The two data sets: ten days of hourly data, and a year of daily data.
struct BenchDataSet
{
    qint64 stepSeconds = 3600;
    int stepsEachSide = 120;
};
inline constexpr BenchDataSet kTenDaysHourly{3600, 120};
inline constexpr BenchDataSet kYearDaily{86400, 182};

// Observations every step before now and forecasts every step after it (five days of hourly
// ones by default).
class BenchSources final : public OVWeatherLocationSources
{
public:
    explicit BenchSources(BenchDataSet set = kTenDaysHourly)
    {
        // The same curves over the steps whatever their length.
        for (int hour = -set.stepsEachSide; hour <= 0; ++hour) {
            OVWeatherConditions c;
            c.setDate(kNow.addSecs(hour * set.stepSeconds));
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
        for (int hour = 1; hour <= set.stepsEachSide; ++hour) {
            const QDateTime date = kNow.addSecs(hour * set.stepSeconds);
            for (const char *key : keys) {
                const double value = 30 + 20 * std::sin(hour * 0.2);
                series[QLatin1String(key)].append({{QLatin1String(key), value},
                                                   {QStringLiteral("startDate"), date},
                                                   {QStringLiteral("endDate"), date.addSecs(set.stepSeconds)}});
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
    explicit BenchContainer(BenchDataSet set = kTenDaysHourly)
        : window(set.stepSeconds * set.stepsEachSide)
    {
        location = std::make_shared<OVWeatherLocation>(std::make_shared<BenchSources>(set));
        location->setIcao(QStringLiteral("KDEN"));
        location->setLocationTimeZone(QTimeZone::utc());
    }
    std::shared_ptr<OVWeatherLocation> currentLocation() const override { return location; }
    int graphHeight() const override { return 155; }
    QDateTime startDate() const override { return kNow.addSecs(-window); }
    QDateTime endDate() const override { return kNow.addSecs(window); }
    double verticalOffset() const override { return 0; }
    std::shared_ptr<OVWeatherLocation> location;
    qint64 window; // seconds on each side of now
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
