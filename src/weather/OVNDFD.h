// Day and night forecasts for domestic locations from the NDFD 12-hourly by-day product: up to
// 20 twelve-hour slots for the forecast strip with temperature, chance of precipitation, icon
// name and English weather texts.
//
// A point forecast holds "lastUpdatedTime" and the series "maxt", "mint", "hourlyt", "dewpoint",
// "precip" (12-hour probability), "fullDesc" and "shortDesc" (texts; entries also carry
// "weather-summary") and "image" (icon names), as far as the reply has them. The cache file is
// {"pointForecasts": cache} ("NDFDCache.plist" in the Cache folder, set by the shell).
//
// Threads as OVNDFDClient: main thread, cache on the client's queue.
#pragma once

#include "weather/OVNDFDClient.h"

#include <QVariantList>

#include <optional>

class OVNDFD : public OVNDFDClient
{
public:
    /// The program's client (download manager, standard user defaults, system clock); made on
    /// first use, never released.
    static OVNDFD &sharedNDFDClient();

    OVNDFD(OVURLManager &urlManager, OVUserDefaults &settings, const OVClock &clock);
    ~OVNDFD() override;

    /// The conditions series of a "weather" element: per period the list of its weather values
    /// and its "weather-summary" text. None when the layout is unknown or the counts differ.
    static std::optional<QVariantList> createForecastConditionsDatasetFromXMLElement(
        const QDomElement &element, const OVDWMLTimeLayouts &layouts,
        const QString &layoutKey = QString());

    /// Twelve-hour slots from one day before the first period on: "startDate", "endDate",
    /// "isDay" (the slot starts between 01:00 and 11:59 in the location's zone), "temp" (from
    /// "maxt" and "mint"), and the other series' values whose period is centred within 2 hours
    /// of the slot's centre. Slots without any value are left out, and so are a leading and a
    /// trailing slot without an icon or text. None without data.
    std::optional<QVariantList> dayForecastForLocation(const std::shared_ptr<OVWeatherLocation> &location);

    QString lastWeatherSummary() const;
    void setLastWeatherSummary(const QString &summary);

protected:
    QVariantMap pointForecastFromParameters(const QDomElement &parameters,
                                            const OVDWMLTimeLayouts &layouts) override;

private:
    mutable std::mutex mSummaryMutex;
    QString mLastWeatherSummary;
};
