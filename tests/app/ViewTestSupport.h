// Shared by the main-window view tests: places as saved location dictionaries, observations
// stored in a throw-away observations database, and a map that records its zoom changes.
// Including it runs the test process in UTC (set before anything reads the zone).
#pragma once

#include "core/NBControllerSettings.h"
#include "core/views/OVMapPanel.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdlib>
#include <iostream>
#include <ctime>
#include <memory>

inline const bool kViewTestsRunInUtc = [] {
    setenv("TZ", "UTC", 1);
    tzset();
    return true;
}();

/// A full saved-location dictionary (13 keys): restored without the location database.
inline QVariantMap placeDictionary(const QString &city, const QString &stateCode, const QString &stateName,
                                   const QString &countryCode, const QString &countryName, const QString &icao,
                                   double latitude, double longitude, const QString &zone)
{
    return {
        {QStringLiteral("location_id"), 0},
        {QStringLiteral("appsettings"), QVariantMap()},
        {QStringLiteral("timezonename"), zone},
        {QStringLiteral("latitude"), latitude},
        {QStringLiteral("longitude"), longitude},
        {QStringLiteral("elevation"), 0.0},
        {QStringLiteral("icao"), icao},
        {QStringLiteral("zipcode"), QString()},
        {QStringLiteral("city"), city},
        {QStringLiteral("statecode"), stateCode},
        {QStringLiteral("statename"), stateName},
        {QStringLiteral("countrycode"), countryCode},
        {QStringLiteral("countryname"), countryName},
    };
}

inline QVariantMap denverDictionary()
{
    return placeDictionary("Denver", "CO", "Colorado", "US", "United States", "KDEN", 39.70, -104.75, "America/Denver");
}
inline QVariantMap portlandDictionary()
{
    return placeDictionary("Portland", "OR", "Oregon", "US", "United States", "KPDX", 45.52, -122.68,
                           "America/Los_Angeles");
}
inline QVariantMap londonDictionary()
{
    return placeDictionary("London", "ENG", "England", "GB", "United Kingdom", "EGLL", 51.51, -0.13, "Europe/London");
}

inline std::shared_ptr<OVWeatherLocation> placeFrom(const QVariantMap &dictionary)
{
    return OVWeatherLocation::fromLocationDictionary(dictionary);
}

/// An observation of now with the temperature and wind given in °F, mph and degrees.
inline OVWeatherConditions observation(double temperatureF, double windMPH = 0.0, double windDirection = 180.0)
{
    OVWeatherConditions conditions;
    conditions.setDate(QDateTime::currentDateTimeUtc().addSecs(-600));
    conditions.setTemperatureF(temperatureF);
    conditions.setDewpointF(temperatureF - 10.0);
    conditions.setWindSpeedMPS(windMPH * 0.44704);
    conditions.setWindDirection(windDirection);
    conditions.setPressureMB(1013.0);
    conditions.setVisibilityMiles(10.0);
    conditions.setSkyCover(QStringLiteral("SCT040"));
    return conditions;
}

/// The settings store with its registered defaults, and an observations database of its own
/// (the process's shared one while it lives).
struct ViewTestData
{
    ViewTestData()
    {
        NBControllerSettings::launchSetupPreferences();
        database = std::make_unique<OVObservationsDB>(folder.filePath(QStringLiteral("Observations")));
    }

    void store(const OVWeatherConditions &conditions, const QString &icao)
    {
        database->insertWeatherConditions({conditions}, icao);
    }

    QTemporaryDir folder;
    std::unique_ptr<OVObservationsDB> database;
};

/// A map that only keeps its zoom and records every change of it.
class RecordingMap final : public OVMapPanel
{
public:
    explicit RecordingMap(QWidget *parent) : mView(new QWidget(parent)) {}

    QWidget *view() override { return mView; }
    double zoom() const override { return mZoom; }
    void setZoom(double zoom) override
    {
        zooms.append(zoom);
        mZoom = zoom;
    }
    double width() const override { return mView->width(); }
    void setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &, bool animate) override
    {
        centredWithAnimation = animate;
    }

    QList<double> zooms;
    bool centredWithAnimation = true;

private:
    QWidget *mView;
    double mZoom = 40.0;
};

/// A screenshot of the window as it is on screen, saved to the test's artefact folder.
inline QImage grabAndSave(QWidget *window, const QString &name)
{
    const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
    const QString path = testOutputPath(name);
    EXPECT_TRUE(shot.save(path));
    std::cout << "screenshot: " << path.toStdString() << std::endl;
    return shot;
}
