#include "core/NBRegisteredDefaults.h"

#include "core/NBGraphTypeTable.h"

#include <QStringList>

namespace {

// Scheme and host of each service whose URL template is registered here. A service's client
// fills in its host; until then the templates keep only their path and query, and nothing is
// sent to an empty host.
constexpr QLatin1String kForecastServer{""};
constexpr QLatin1String kAviationWeatherServer{""};
constexpr QLatin1String kImageServer{""};

QString url(QLatin1String server, const char *pathAndQuery)
{
    return QString(server) + QLatin1String(pathAndQuery);
}

} // namespace

namespace NBRegisteredDefaults {

QVariantMap table()
{
    const QString yes = QStringLiteral("YES");
    const QString no = QStringLiteral("NO");
    const QString one = QStringLiteral("1");
    const QString zero = QStringLiteral("0");
    QVariantMap defaults{
        {QString(NBSettingKey::graphWidthDays), one},
        {QStringLiteral("graphShowAverage"), zero},
        {QStringLiteral("graphHeight"), QStringLiteral("155")},
        {QStringLiteral("graphOffset"), zero},
        {QStringLiteral("graphInterval"), QStringLiteral("259200")},
        {QString(NBSettingKey::temperatureUnits), zero},
        {QString(NBSettingKey::windSpeedUnits), zero},
        {QString(NBSettingKey::distanceUnits), zero},
        {QString(NBSettingKey::pressureUnits), zero},
        {QStringLiteral("zips"), QVariantList{QStringLiteral("95014")}},
        {QStringLiteral("imageZoom"), QStringLiteral("1.0")},
        {QStringLiteral("radarOpacity"), QStringLiteral("0.7")},
        {QStringLiteral("satelliteOpacity"), QStringLiteral("0.7")},
        {QStringLiteral("showCities"), yes},
        {QStringLiteral("showICAOs"), no},
        {QStringLiteral("showRadars"), no},
        {QStringLiteral("OVGeographyMapLayerShowTerrain"), yes},
        {QStringLiteral("OVGeographyMapLayerShowRadar"), yes},
        {QStringLiteral("OVGeographyMapLayerShowSatellite"), yes},
        {QStringLiteral("OVGeographyMapLayerShowGrid"), no},
        {QStringLiteral("OVGeographyMapLayerShowText"), yes},
        {QStringLiteral("OVGeographyMapLayerShowSurfaceAnalysis"), no},
        {QStringLiteral("OVGeographyMapLayerShowParticleMode"), yes},
        {QStringLiteral("OVGeographyMapParticleDensity"), one},
        {QStringLiteral("gfsForecastURL"),
         url(kForecastServer, "/gfs.pl?latitude=[latitude]&longitude=[longitude]"
                              "&tz_offset=[time_zone_minute_offset]&locale=[locale]")},
        {QStringLiteral("metarBaseURL"),
         url(kAviationWeatherServer, "/metars/index.php?submit=1&chk_metars=on&station_ids=[icao]")},
        {QStringLiteral("cloudOverlayURL"), url(kImageServer, "/image_maps/cloud_overlay/clouds_")},
        {QStringLiteral("cloudOverlayUpdateCheckURL"),
         url(kImageServer, "/image_maps/cloud_overlay/last_updated.txt")},
        {QStringLiteral("radarOverlayURL"), url(kImageServer, "/image_maps/radar_overlay/radar_")},
        {QStringLiteral("radarOverlayUpdateCheckURL"),
         url(kImageServer, "/image_maps/radar_overlay/last_updated.txt")},
        {QString(NBSettingKey::showDewpoint), one},
        {QString(NBSettingKey::ndfdServerURL), QStringLiteral("https://graphical.weather.gov")},
        {QString(NBSettingKey::modelDataServerURL), QStringLiteral("https://nomads.ncep.noaa.gov")},
        {QString(NBSettingKey::updateFrequency), QStringLiteral("3600")},
        {QStringLiteral("showActivityWindow"), zero},
        {QStringLiteral("showJournalWindow"), zero},
        {QStringLiteral("showInfoPanel"), zero},
        {QStringLiteral("NBShowTemperatureInDock"), one},
        // No real status or download server exists: empty hosts send nothing.
        {QString(NBSettingKey::statusServerURL), QString()},
        {QString(NBSettingKey::downloadServerURL), QString()},
        // Nor do a product web site, social-media page or support address: nothing is opened.
        {QString(NBSettingKey::productWebURL), QString()},
        {QString(NBSettingKey::productSocialURL), QString()},
        {QString(NBSettingKey::supportEmail), QString()},
        // The Brisant services: scheme and host of each (none configured: nothing is sent) and
        // the access key the Brisant clients share.
        {QStringLiteral("OVBrisantObservationsServerURL"), QString()},
        {QString(NBSettingKey::brisantDataServerURL), QStringLiteral("")},
        {QString(NBSettingKey::brisantServerKey), QStringLiteral("Wq4Ne8Rt2Yb6Um0Io3Pa7Sd5Fg9Hj1Kl")},
        // The map's imagery and terrain tile servers: none configured, so the map asks nothing
        // (radar and satellite stay empty, terrain comes only from the resources).
        {QString(NBSettingKey::mapImageryServerURL), QString()},
        {QString(NBSettingKey::mapTerrainServerURL), QString()},
    };
    // The show setting of each graph type.
    for (const NBGraphTypeRow &graphType : NBGraphTypeTable)
        defaults.insert(QLatin1String(graphType.visibilityKey), graphType.shownByDefault ? one : zero);
    return defaults;
}

} // namespace NBRegisteredDefaults
