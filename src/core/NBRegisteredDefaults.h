// The one table of registered default settings, and the names of the settings that code reads
// or writes by name in more than one place. Registered defaults live in memory in the user
// defaults: a stored value always wins over them, and both win over the settings store's
// in-memory values.
#pragma once

#include <QLatin1String>
#include <QVariantMap>

namespace NBSettingKey {
inline constexpr QLatin1String graphWidthDays{"graphWidthDays"};
inline constexpr QLatin1String graph1Type{"NBGraph1Type"};
inline constexpr QLatin1String graph2Type{"NBGraph2Type"};
inline constexpr QLatin1String updateFrequency{"updateFrequency"};
inline constexpr QLatin1String locations{"locations"};
inline constexpr QLatin1String splitViewLocation{"splitViewLocation"};
inline constexpr QLatin1String checkForUpdates{"checkForUpdates"};
inline constexpr QLatin1String showDewpoint{"showDewpoint"};
inline constexpr QLatin1String debug{"debug"};
inline constexpr QLatin1String temperatureUnits{"temperatureUnits"};
inline constexpr QLatin1String windSpeedUnits{"windSpeedUnits"};
inline constexpr QLatin1String distanceUnits{"distanceUnits"};
inline constexpr QLatin1String pressureUnits{"pressureUnits"};
/// Not registered: absent reads 0.
inline constexpr QLatin1String heightUnits{"heightUnits"};
/// Scheme and host of the forecast data service ("https://host"); empty: nothing is requested.
inline constexpr QLatin1String brisantDataServerURL{"OVBrisantDataServerURL"};
/// Access key sent with every request to the forecast data service.
inline constexpr QLatin1String brisantServerKey{"OVBrisantServerKey"};
/// Scheme and host of the NDFD XML service that both NDFD clients ask.
inline constexpr QLatin1String ndfdServerURL{"OVNDFDServerURL"};
/// Scheme and host of the public model-data server (directory listings, grib filter, OpenDAP).
inline constexpr QLatin1String modelDataServerURL{"OVModelDataServerURL"};
/// Scheme and host of the status server that serves the update notice; empty: none is asked.
inline constexpr QLatin1String statusServerURL{"NBStatusServerURL"};
/// Scheme and host of the download server that names the latest version; empty: none is asked.
inline constexpr QLatin1String downloadServerURL{"NBDownloadServerURL"};
/// Scheme and host of the map imagery server (radar, satellite, attribution); empty: none.
inline constexpr QLatin1String mapImageryServerURL{"OVMapImageryServerURL"};
/// Scheme and host of the map's terrain tile server; empty: only bundled terrain levels.
inline constexpr QLatin1String mapTerrainServerURL{"OVMapTerrainServerURL"};
/// Scheme and host of the product's web site ("/" its page, "/help/" its help); empty: none.
inline constexpr QLatin1String productWebURL{"NBProductWebURL"};
/// The product's social-media page; empty: none.
inline constexpr QLatin1String productSocialURL{"NBProductSocialURL"};
/// The support mail address; empty: none.
inline constexpr QLatin1String supportEmail{"NBSupportEmail"};
/// Where the windows were at quit (saved window geometry, base64) and the selected row of the
/// location list; none is registered.
inline constexpr QLatin1String mainWindowGeometry{"NBMainWindowGeometry"};
inline constexpr QLatin1String selectedLocationRow{"NBSelectedLocationRow"};
inline constexpr QLatin1String activityWindowGeometry{"NBActivityWindowGeometry"};
inline constexpr QLatin1String journalWindowGeometry{"NBJournalWindowGeometry"};
inline constexpr QLatin1String infoWindowGeometry{"NBInfoWindowGeometry"};
} // namespace NBSettingKey

namespace NBRegisteredDefaults {

/// Every registered default: key to value ("0"/"1" and "YES"/"NO" strings, numeric strings,
/// the `zips` list, URL templates).
QVariantMap table();

} // namespace NBRegisteredDefaults
